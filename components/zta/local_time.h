#pragma once
// The local time as the log and the reports record it: ISO 8601 with the
// offset from UTC, so that entries from different hosts compare.

#include <QDateTime>
#include <QString>

namespace zta {

inline QString localTimeStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

}  // namespace zta
