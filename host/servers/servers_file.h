#pragma once
// The console's servers file, settings/servers.ini below the host root: one
// section per server, its keys checked by the rows of server_rules.h.
//
//   [lobby]
//   Name=Delta Force lobby
//   Game=Delta Force,  V1.5.0.5
//   Remote=embedded                 (or ws://HOST:PORT, wss://HOST:PORT)
//   TokenFile=tokens/office         (ws:// and wss:// only; relative to this file's folder)
//   Profile=0
//   Tag=desk0
//
// Values run from after the first "=" to the end of the line, outer blanks
// dropped; commas and quotes are plain text. Lines starting with ";" or "#"
// are comments. Keys this console does not know are kept as they are.
// A file that breaks a rule is refused whole, naming file, line and problem,
// and is never rewritten: edits are refused too until it is mended by hand.

#include <QByteArray>
#include <QList>
#include <QString>

#include "host/servers/server_entry.h"

namespace jexhost::servers {

inline constexpr qint64 kMaxServersFileBytes = 4 << 20;  // 10 000 servers of some 400 bytes

// HostRoot/settings/servers.ini
QString serversFilePath(const QString& hostRoot);

// What the first start writes: two servers on the embedded remote side,
// profiles 0 and 1.
QByteArray defaultServersText();

struct ServersRead {
    QList<ServerEntry> servers;  // in file order; empty when refused
    QString error;               // "FILE:LINE: problem"; empty when read
    bool created = false;        // the default was written just now
    bool ok() const { return error.isEmpty(); }
};

ServersRead parseServersText(const QByteArray& text, const QString& fileName);
ServersRead readServersFile(const QString& path);
// As readServersFile, but where nothing at all is at `path` the default is
// written first (its folder created).
ServersRead openServersFile(const QString& path);

// Edits. Each reads the file afresh, checks the change against every rule
// and the other servers, and replaces the file atomically, keeping comments,
// unknown keys and the other sections as they were. False, with the reason in
// `error`, leaves the file untouched.
// `entry->id` empty: a new "server-N" is chosen and stored there.
bool addServer(const QString& path, ServerEntry* entry, QString* error);
// Several at once, in one write: all of them or none.
bool addServers(const QString& path, QList<ServerEntry>* entries, QString* error);
bool updateServer(const QString& path, const ServerEntry& entry, QString* error);
bool removeServer(const QString& path, const QString& id, QString* error);

// The token file of a ws:// or wss:// server as a path to open.
QString tokenFilePath(const ServerEntry& entry, const QString& serversFile);

}  // namespace jexhost::servers
