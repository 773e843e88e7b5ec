#include "remote/net/token_file_watch.h"

#include <QFileInfo>

#include "remote/audit/audit_log.h"

namespace jexremote {

namespace {

// Editors write a file in several steps; the reading waits for the last.
constexpr int kSettleMs = 50;

}  // namespace

TokenFileWatch::TokenFileWatch(QString path, QList<Operator> operators, QObject* parent)
    : QObject(parent), path_(std::move(path)), operators_(std::move(operators)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this,
            [this] { reload(QStringLiteral("the token file changed"), false); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
    watcher_.addPath(QFileInfo(path_).absolutePath());
    watch();
}

// A file replaced by a rename is no longer watched; the new one is.
void TokenFileWatch::watch() {
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void TokenFileWatch::reload(const QString& why, bool asked) {
    watch();
    QString error;
    const auto operators = readTokenFile(path_, &error);
    if (!operators) {
        if (std::exchange(lastRefusal_, error) == error && !asked) return;  // said already
        qCWarning(lcRemote).noquote()
            << why + QStringLiteral(": refused") << error
            << QStringLiteral("; keeping the %1 operators taken before").arg(operators_.size());
        return;
    }
    lastRefusal_.clear();
    if (*operators == operators_) {
        if (asked) qCInfo(lcRemote).noquote() << why + QStringLiteral(": no operator changed");
        return;
    }
    operators_ = *operators;
    qCInfo(lcRemote).noquote() << why + QStringLiteral(": now") << operators_.size() << "operators";
    emit operatorsChanged(operators_);
}

}  // namespace jexremote
