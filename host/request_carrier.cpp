#include "host/request_carrier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "host/log.h"
#include "host/remote_link.h"

namespace jexhost {

namespace {
const QString kRequestPattern = QStringLiteral("reply_jexKDRSM_*.txt");
}

RequestCarrier::RequestCarrier(const QString& folder, RemoteLink& link, AnswerHandler onAnswer,
                               int rescanMs, QObject* parent)
    : QObject(parent), folder_(folder), link_(link), onAnswer_(std::move(onAnswer)) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &RequestCarrier::scan);
    connect(&rescan_, &QTimer::timeout, this, &RequestCarrier::scan);
    rescan_.setInterval(rescanMs);
}

void RequestCarrier::start() {
    if (!QDir().mkpath(folder_)) qCWarning(lcHost) << "cannot create" << folder_;
    if (!watcher_.addPath(folder_)) qCInfo(lcHost) << "not watching" << folder_ << "- re-scan only";
    rescan_.start();
    scan();
}

// Oldest request first, so a fetch written before an update is carried first.
void RequestCarrier::scan() {
    if (scanning_) return;  // a callback's modal loop may fire the timer again
    scanning_ = true;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({kRequestPattern}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& file : files) take(file.absoluteFilePath());
    scanning_ = false;
}

// The file is first renamed out of the panel's way: a request the panel
// writes again after that lands in a new file, which the next scan takes.
void RequestCarrier::take(const QString& path) {
    const QFileInfo info(path);
    if (info.size() == 0) return;  // created, not written yet
    const QDateTime modified = info.lastModified();
    if (skipped_.contains(path) && skipped_.value(path) == modified) return;

    const QString claimed = path + QStringLiteral(".carrying");
    QFile::remove(claimed);
    if (!QFile::rename(path, claimed)) {
        if (!QFileInfo::exists(path)) return;  // replaced or removed meanwhile
        qCWarning(lcHost) << "cannot take request file" << path << "- skipped until it changes";
        skipped_.insert(path, modified);
        return;
    }
    skipped_.remove(path);

    QFile file(claimed);
    const bool readable = file.open(QIODevice::ReadOnly);
    QString request = QString::fromLocal8Bit(file.readAll());
    file.close();
    file.remove();
    while (request.endsWith(u'\n') || request.endsWith(u'\r')) request.chop(1);
    if (!readable || request.isEmpty()) {
        qCWarning(lcHost) << "skipped unreadable request file" << path << file.errorString();
        return;
    }

    qCInfo(lcHost) << "carrying" << request.left(80);
    emit requestCarried(request);
    link_.send(request, onAnswer_);
}

}  // namespace jexhost
