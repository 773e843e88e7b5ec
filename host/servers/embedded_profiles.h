#pragma once
// The console's own remote side serves one state file per profile; a server
// of the list on the embedded remote needs its profile's file before that
// side starts (it reads the state folder once, at start).

#include <QList>
#include <QString>

#include "host/servers/server_entry.h"

namespace jexhost::servers {

// Writes a state file (owner-only) into `stateDir` for every profile of an
// embedded server in `servers` that has none yet, creating the folder
// owner-only. Existing files are left alone. Profile 1 starts as a NovaWorld
// affiliate (its own name, player limit, time limit and message), any other
// profile with a new server's settings and a name carrying its number, so
// the two servers of the first start show different settings. False, with
// the reason in `error`, when a file cannot be written.
bool seedEmbeddedProfiles(const QString& stateDir, const QList<ServerEntry>& servers,
                          QString* error);

}  // namespace jexhost::servers
