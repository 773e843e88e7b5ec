#pragma once
// A game's own query, as a server browser asks it: how many are playing and
// how many it takes. For the Teeworlds 0.7 server (`"query": "teeworlds-0.7"`)
// that is two exchanges over UDP: a token asked for with a control packet,
// then "gie3" with that token, answered "inf3" with the name, the flags (bit
// 0: a password is set), the players and the clients (connected and most),
// then one entry per client: name, clan, country, score and a flag (bit 0: a
// spectator).
//
// The packet makers and readers are plain functions; a reader takes any
// datagram (truncated, garbage, another server's) and answers nothing for
// one that is not a whole answer of its kind. GameQuery asks over loopback
// without ever waiting: the answer comes as a signal, or never.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QUdpSocket>

#include <optional>

namespace jexremote::games {

struct QueryClient {
    QString name;
    QString clan;
    int score = 0;
    bool spectator = false;
    bool operator==(const QueryClient&) const = default;
};

struct QueryInfo {
    QString name;
    bool password = false;
    int players = 0;     // everyone connected, spectators too
    int maxPlayers = 0;  // the most clients the game takes
    // As many entries as the answer holds whole (a long list may be cut short).
    QList<QueryClient> clients = {};
    bool operator==(const QueryInfo&) const = default;
};

namespace teeworlds07 {

// A control packet asking for the server's token, padded as the game wants it.
QByteArray tokenRequest(quint32 ourToken);
// The server's token from its answer to tokenRequest(ourToken).
std::optional<quint32> readToken(const QByteArray& datagram, quint32 ourToken);
// The info request with the server's token; `requestToken` comes back in the answer.
QByteArray infoRequest(quint32 serverToken, quint32 ourToken, int requestToken);
// The answer to infoRequest(..., ourToken, ...).
std::optional<QueryInfo> readInfo(const QByteArray& datagram, quint32 ourToken);

}  // namespace teeworlds07

class GameQuery : public QObject {
    Q_OBJECT
public:
    // Asks the game on loopback `port`; `kind` is the definition's query.
    GameQuery(QString kind, quint16 port, QObject* parent = nullptr);
    // Whether `kind` is a query this can ask.
    static bool knows(const QString& kind);
    // Sends one question; the answer comes as answered(), or not at all.
    void ask();

signals:
    void answered(const jexremote::games::QueryInfo& info);

private:
    void readDatagrams();

    QString kind_;
    quint16 port_;
    quint32 ourToken_;
    QUdpSocket socket_;
};

}  // namespace jexremote::games
