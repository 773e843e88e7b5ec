#include "host/host_root.h"

#include <QFileInfo>

#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "jex/durable_file.h"
#include "jex/hostpaths.h"

namespace jexhost {

std::unique_ptr<QLockFile> lockHostRoot(const QString& root, qint64* holder) {
    auto lock = std::make_unique<QLockFile>(root + QStringLiteral("/jexhost.lock"));
    lock->setStaleLockTime(0);  // stale only when its process is gone
    *holder = 0;
    if (lock->tryLock(0)) return lock;
    QString hostName, application;
    if (lock->error() != QLockFile::LockFailedError ||
        !lock->getLockInfo(holder, &hostName, &application))
        *holder = 0;
    return nullptr;
}

TakenRoot takeHostRoot(const QString& busy) {
    TakenRoot taken;
    taken.root = jex::hostExecutableFolder();
    qint64 holder = 0;
    taken.lock = lockHostRoot(taken.root, &holder);
    if (!taken.lock)
        taken.refusal = holder ? QStringLiteral("a console (process %1) holds the folder %2; %3")
                                     .arg(holder)
                                     .arg(taken.root, busy)
                               : QStringLiteral("cannot lock the folder %1").arg(taken.root);
    return taken;
}

QString serversFileOf(const QString& root, const HostOptions& options) {
    return options.config.isEmpty() ? servers::serversFilePath(root)
                                    : QFileInfo(options.config).absoluteFilePath();
}

std::optional<jexremote::RemoteOptions> ownRemoteOptions(const QString& root,
                                                         const HostOptions& options,
                                                         QString* error) {
    const QString folder = root + QStringLiteral("/remote");
    if (const auto failure = jex::fs::createOwnerOnlyFolder(folder)) {
        *error = failure->text;
        return std::nullopt;
    }
    jexremote::RemoteOptions remote;
    remote.tokenFile = folder + QStringLiteral("/token");
    remote.stateDir =
        options.stateDir.isEmpty() ? folder + QStringLiteral("/state") : options.stateDir;
    return remote;
}

std::unique_ptr<jexremote::RemoteService> startOwnRemote(const QString& root,
                                                         const HostOptions& options, LinkPool& pool,
                                                         QTextStream& err) {
    QString reason;
    const auto remote = ownRemoteOptions(root, options, &reason);
    auto embedded = remote ? std::make_unique<jexremote::RemoteService>(*remote) : nullptr;
    if (embedded && embedded->start(&reason))
        pool.setEmbedded(embedded->url(), embedded->tokenFile());
    else
        err << "jexhost: the console's own remote side cannot start: " << reason << Qt::endl;
    return embedded;
}

}  // namespace jexhost
