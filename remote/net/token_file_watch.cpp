#include "remote/net/token_file_watch.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

#include "remote/audit/audit_log.h"

namespace jexremote {

TokenFileWatch::Identity TokenFileWatch::identify(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {true,
            quint64(st.st_dev),
            quint64(st.st_ino),
            qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

TokenFileWatch::TokenFileWatch(QString path, QList<Operator> operators, QObject* parent)
    : QObject(parent),
      path_(std::move(path)),
      operators_(std::move(operators)),
      read_(identify(path_)) {
    // No waiting for a burst of notices to end: a tool replaces the file in
    // one rename, and a read that catches an editor halfway is read again at
    // its next notice.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
            [this] { reload(QStringLiteral("the token file changed"), false); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &TokenFileWatch::catchUp);
    watcher_.addPath(QFileInfo(path_).absolutePath());
    watch();
}

// A file replaced by a rename is no longer watched; the new one is.
void TokenFileWatch::watch() {
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void TokenFileWatch::catchUp() {
    if (identify(path_) != read_) reload(QStringLiteral("the token file changed"), false);
}

void TokenFileWatch::reload(const QString& why, bool asked) {
    using Trouble = TokenFileReading::Trouble;
    watch();
    read_ = identify(path_);  // before reading: a change meanwhile is read again
    const TokenFileReading reading = inspectTokenFile(path_);
    const bool said = std::exchange(lastRefusal_, reading.error) == reading.error && !asked;
    switch (reading.trouble) {
        case Trouble::None:
            return take(reading.operators, why, asked);
        case Trouble::OpenToOthers: {
            // Whoever else may write the file may add to it; a removal only
            // takes power away, and waiting for chmod would keep it.
            QList<Operator> kept;
            QStringList removed;
            for (const Operator& op : std::as_const(operators_)) {
                if (operatorWithDigest(reading.operators, op.tokenDigest))
                    kept << op;
                else
                    removed << boundedText(op.welcome.operatorName);
            }
            if (!removed.isEmpty()) {
                qCWarning(lcRemote).noquote()
                    << QStringLiteral(
                           "%1: refused %2; took only the removal of %3: additions and other "
                           "changes wait for chmod 600")
                           .arg(why, reading.error, removed.join(QStringLiteral(", ")));
                operators_ = kept;
                emit operatorsChanged(operators_);
                return;
            }
            break;
        }
        case Trouble::Gone:
        case Trouble::NoOperator: {
            const bool wasOpen = std::exchange(loginsOpen_, false);
            if (said && !wasOpen) return;
            qCCritical(lcRemote).noquote()
                << QStringLiteral(
                       "%1: %2 %3: no new login is taken; the open connections of the %4 "
                       "operators taken before stay until the file is back")
                       .arg(why, path_,
                            reading.trouble == Trouble::Gone ? QStringLiteral("is gone")
                                                             : QStringLiteral("holds no operator"))
                       .arg(operators_.size());
            emit loginsRefused();
            return;
        }
        case Trouble::Broken:
            break;
    }
    if (said) return;
    qCWarning(lcRemote).noquote()
        << why + QStringLiteral(": refused") << reading.error
        << QStringLiteral("; keeping the %1 operators taken before").arg(operators_.size());
}

void TokenFileWatch::take(const QList<Operator>& operators, const QString& why, bool asked) {
    lastRefusal_.clear();
    if (operators == operators_ && loginsOpen_) {
        if (asked) qCInfo(lcRemote).noquote() << why + QStringLiteral(": no operator changed");
        return;
    }
    operators_ = operators;
    loginsOpen_ = true;
    qCInfo(lcRemote).noquote() << why + QStringLiteral(": now") << operators_.size() << "operators";
    emit operatorsChanged(operators_);
}

}  // namespace jexremote
