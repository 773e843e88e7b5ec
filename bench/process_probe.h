#pragma once
// What a benchmark reads of another process from /proc, and the median of
// its samples.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <signal.h>

#include <algorithm>
#include <vector>

namespace jexbench {

inline double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline bool alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

// utime + stime of a process, in clock ticks.
inline qint64 processorTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the line; the list starts at field 3, the state.
    return fields.size() > 12 ? fields.at(11).toLongLong() + fields.at(12).toLongLong() : -1;
}

inline double residentMegabytes(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    static const QRegularExpression kRss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    const auto found = kRss.match(QString::fromLatin1(status.readAll()));
    return found.hasMatch() ? found.captured(1).toDouble() / 1024 : -1;
}

// Kills, one by one by their ids, the processes of this user still working
// in a folder under `root` (games a remote side could not stop); how many.
inline int killProcessesUnder(const QString& root) {
    const QString prefix = QFileInfo(root).canonicalFilePath() + QLatin1Char('/');
    int killed = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || !alive(pid)) continue;
        const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
        if (cwd.isEmpty() || !(cwd + QLatin1Char('/')).startsWith(prefix)) continue;
        ::kill(pid_t(pid), SIGKILL);
        ++killed;
    }
    return killed;
}

}  // namespace jexbench
