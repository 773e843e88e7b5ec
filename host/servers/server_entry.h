#pragma once
// One game server the console knows: where its settings live (a remote side
// and a profile on it) and how the panel addresses it (profile index and tag).

#include <QString>

namespace jexhost::servers {

inline const QString kEmbeddedRemote = QStringLiteral("embedded");

struct ServerEntry {
    QString id;          // its section in the servers file; stable across renames
    QString name;        // shown in the list; unique
    QString game;        // matched against the plug-ins' game entries
    QString remote;      // "embedded", or a ws:// or wss:// address
    QString tokenFile;   // path of the file holding the token for that remote (never the token)
    qint32 profile = 0;  // the server's profile on its remote, handed to the panel as Index
    QString tag;         // handed to the panel as its host tag; routes its requests back

    bool isEmbedded() const { return remote == kEmbeddedRemote; }
    friend bool operator==(const ServerEntry&, const ServerEntry&) = default;
};

}  // namespace jexhost::servers
