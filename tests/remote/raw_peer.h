#pragma once
// A peer that speaks WebSocket by hand over a QTcpSocket: it can stop after
// the upgrade, send frames a library would never send (unmasked ones), leave
// pings unanswered and stop reading what it is sent.

#include <QTcpSocket>
#include <QTest>
#include <QUrl>

#include "link/link_messages.h"
#include "remote_client.h"

namespace jextest {

struct RawPeer {
    QTcpSocket socket;
    QByteArray received;  // everything after the upgrade's answer

    // Connects and completes the upgrade; nothing is sent after it.
    bool upgraded(const QUrl& url) {
        socket.connectToHost(url.host(), quint16(url.port()));
        if (!socket.waitForConnected(kRemoteWaitMs)) return false;
        socket.write(QStringLiteral("GET / HTTP/1.1\r\nHost: %1:%2\r\nUpgrade: websocket\r\n"
                                    "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                                    "Sec-WebSocket-Key: c2lsZW50IHBlZXIga2V5IQ==\r\n\r\n")
                         .arg(url.host())
                         .arg(url.port())
                         .toLatin1());
        QByteArray in;
        if (!QTest::qWaitFor([&] { return (in += socket.readAll()).contains("\r\n\r\n"); },
                             kRemoteWaitMs) ||
            !in.startsWith("HTTP/1.1 101"))
            return false;
        received = in.mid(in.indexOf("\r\n\r\n") + 4);
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        return true;
    }
    // Upgraded and welcomed; what arrived up to the welcome is dropped.
    bool welcomed(const QUrl& url, const QString& token) {
        if (!upgraded(url)) return false;
        send(jexlink::tokenMessage(token));
        if (!QTest::qWaitFor([&] { return received.contains("\"welcome\""); }, kRemoteWaitMs))
            return false;
        received.clear();
        return true;
    }
    void send(const QString& text, bool masked = true) {
        socket.write(textFrame(text.toUtf8(), masked));
    }
    bool closed() const { return socket.state() == QAbstractSocket::UnconnectedState; }
    bool closesWithin(int ms) {
        return QTest::qWaitFor([&] { return closed(); }, ms);
    }

    // A client's frame is masked; its length takes as few bytes as it can.
    static QByteArray textFrame(const QByteArray& payload, bool masked) {
        const char mask[4] = {0x11, 0x22, 0x33, 0x44};
        const char maskBit = masked ? char(0x80) : char(0);
        QByteArray frame("\x81", 1);
        if (payload.size() < 126) {
            frame += char(maskBit | payload.size());
        } else {
            frame += char(maskBit | 126);
            frame += char(payload.size() >> 8);
            frame += char(payload.size() & 0xff);
        }
        if (!masked) return frame + payload;
        frame += QByteArray(mask, 4);
        for (qsizetype i = 0; i < payload.size(); ++i) frame += char(payload[i] ^ mask[i % 4]);
        return frame;
    }
};

}  // namespace jextest
