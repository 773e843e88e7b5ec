#pragma once
// The folder the host keeps its files in (beside its executable), shared by
// the window, --status and the fleet command: its lock, where its servers
// file is, and the host's own remote side that serves the embedded servers
// from the state below it.

#include <QLockFile>
#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>

#include "host/host_options.h"
#include "remote/remote_service.h"

namespace jexhost {

class LinkPool;

// One host per root: two would take each other's request files. The held
// lock; null when another holds it, with that one's process id in `holder`
// (0 when the folder cannot be locked at all).
std::unique_ptr<QLockFile> lockHostRoot(const QString& root, qint64* holder);

// The servers file: --config's, else the root's own.
QString serversFileOf(const QString& root, const HostOptions& options);

// A run without a window takes the root as a console would: the two would
// share the console's own remote side, its servers file and batch journal.
// The held lock, or why the root cannot be taken (`busy` is said after the
// holder's process id, as what the operator may do instead).
struct TakenRoot {
    std::unique_ptr<QLockFile> lock;
    QString root;
    QString refusal;  // set when the lock is not held
};
TakenRoot takeHostRoot(const QString& busy);

// The host's own remote side keeps its token and state below the root, in a
// folder readable by this user only, made here; nullopt with the reason
// when it cannot be.
std::optional<jexremote::RemoteOptions> ownRemoteOptions(const QString& root,
                                                         const HostOptions& options,
                                                         QString* error);

// The host's own remote side for a run without a window, on the state
// folder the window's uses, its address handed to `pool`; when it cannot
// start, the reason goes to `err` and its servers are unreachable.
std::unique_ptr<jexremote::RemoteService> startOwnRemote(const QString& root,
                                                         const HostOptions& options, LinkPool& pool,
                                                         QTextStream& err);

}  // namespace jexhost
