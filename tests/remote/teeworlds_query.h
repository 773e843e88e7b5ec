#pragma once
// The Teeworlds 0.7 server's own query, as a server browser asks it: a token
// first, then "gie3", answered "inf3" with the name, the flags (bit 0: a
// password is set) and the most clients it takes. Used to see what the game
// itself says, not what jexremote believes.

#include <QHostAddress>
#include <QString>
#include <QUdpSocket>

#include <optional>

namespace jextest {

struct TeeworldsInfo {
    QString name;
    bool password = false;
    int maxClients = 0;
};

// One datagram from the server, or nothing within `waitMs`.
inline QByteArray teeworldsDatagram(QUdpSocket& socket, int waitMs = 2000) {
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(waitMs)) return {};
    QByteArray data(static_cast<int>(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(data.data(), data.size());
    return data;
}

inline std::optional<TeeworldsInfo> queryTeeworlds(quint16 port) {
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    const QByteArray ourToken("\x12\x34\x56\x78", 4);
    // A control packet asking for the server's token, padded as the game pads it.
    QByteArray ask = QByteArray("\x04\x00\x00\xff\xff\xff\xff\x05", 8) + ourToken;
    ask.append(519 - ask.size(), '\0');
    socket.writeDatagram(ask, QHostAddress::LocalHost, port);
    const QByteArray token = teeworldsDatagram(socket);
    if (token.size() < 12 || token.at(7) != 5) return std::nullopt;
    // Connectionless (flag 8), version 1: their token, ours, the info request.
    socket.writeDatagram("\x21" + token.mid(8, 4) + ourToken + "\xff\xff\xff\xffgie3\x07",
                         QHostAddress::LocalHost, port);
    const QByteArray answer = teeworldsDatagram(socket);
    const qsizetype start = answer.indexOf("inf3");
    if (start < 0) return std::nullopt;
    qsizetype at = start + 4;
    const auto number = [&] {  // the game's packed whole number
        int value = answer.at(at) & 0x3f, shift = 6;
        const bool negative = answer.at(at) & 0x40;
        while (answer.at(at++) & 0x80 && at < answer.size()) {
            value |= (answer.at(at) & 0x7f) << shift;
            shift += 7;
        }
        return negative ? ~value : value;
    };
    const auto text = [&] {
        const qsizetype end = answer.indexOf('\0', at);
        const QString out = QString::fromUtf8(answer.mid(at, end - at));
        at = end + 1;
        return out;
    };
    TeeworldsInfo info;
    number();  // our request's token
    text();    // version
    info.name = text();
    text();  // host name
    text();  // map
    text();  // game type
    info.password = number() & 1;
    number();  // skill level
    number();  // players
    number();  // player slots
    number();  // clients
    info.maxClients = number();
    return info;
}

}  // namespace jextest
