#pragma once
// The Teeworlds 0.7 server's own query, asked as a server browser asks it
// (see remote/games/game_query.h), waiting for each answer: what the game
// itself says, not what jexremote believes.

#include <QHostAddress>
#include <QUdpSocket>

#include <optional>

#include "remote/games/game_query.h"

namespace jextest {

using TeeworldsInfo = jexremote::games::QueryInfo;

// One datagram from the server, or nothing within `waitMs`.
inline QByteArray teeworldsDatagram(QUdpSocket& socket, int waitMs = 2000) {
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(waitMs)) return {};
    QByteArray data(static_cast<int>(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(data.data(), data.size());
    return data;
}

inline std::optional<TeeworldsInfo> queryTeeworlds(quint16 port) {
    namespace tw = jexremote::games::teeworlds07;
    constexpr quint32 kOurToken = 0x12345678;
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(tw::tokenRequest(kOurToken), QHostAddress::LocalHost, port);
    const auto token = tw::readToken(teeworldsDatagram(socket), kOurToken);
    if (!token) return std::nullopt;
    socket.writeDatagram(tw::infoRequest(*token, kOurToken, 7), QHostAddress::LocalHost, port);
    return tw::readInfo(teeworldsDatagram(socket), kOurToken);
}

}  // namespace jextest
