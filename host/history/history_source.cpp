#include "host/history/history_source.h"

namespace jexhost::history {

namespace {

const QString kCannot = QStringLiteral("this source cannot fetch settings or send updates");

}  // namespace

void HistorySource::requestVersion(int, qint64) {
    emit failed(kCannot);
}

void HistorySource::requestSettings(int) {
    emit failed(kCannot);
}

void HistorySource::requestUpdate(int, const QString&, qint64) {
    emit failed(kCannot);
}

}  // namespace jexhost::history
