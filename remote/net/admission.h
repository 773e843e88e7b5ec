#pragma once
// Which connections without a welcome make room for a new one. They are
// capped in all and per peer address; at a cap the one that has waited
// longest gives its place to the newcomer. A host sends its token as soon as
// its connection is up, so a crowd of idle sockets delays it by no more than
// its own token's way, and the caps are wide enough for a console logging in
// with every token it holds at once from one address.

#include <QList>
#include <QString>

namespace jexremote {

struct WaitingConnection {
    qint64 since = 0;  // when it connected
    QString address;   // the peer's
};

struct Eviction {
    qsizetype index = 0;      // into the connections waiting
    bool forAddress = false;  // the cap per address made room; else the one in all
};

// The connections to close, oldest first, so that one more from `address`
// stays under both caps: first the cap of its address, then the one in all.
QList<Eviction> makeRoom(const QList<WaitingConnection>& waiting, const QString& address,
                         int capInAll, int capPerAddress);

}  // namespace jexremote
