#pragma once
// What a connection's TCP socket carries from the client, watched below the
// WebSocket layer: the socket is made low-delay (a frame's header and payload
// leave in two writes, and the second must not wait for the peer's delayed
// acknowledgement), and every frame the client sends must be masked, which
// the WebSocket layer does not check.
//
// The watch reads the socket's buffer just before the WebSocket layer takes
// it and notes what that layer left behind, so each byte is looked at once.

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

class QTcpSocket;
class QWebSocket;

namespace jexremote {

// Follows the frame headers of a client's byte stream.
class ClientFrameCheck {
public:
    // Takes the next bytes of the stream; false once a frame was unmasked.
    bool take(QByteArrayView bytes);
    // Payload bytes still to come before the next frame header.
    quint64 payloadAhead() const { return payloadAhead_; }
    void skipPayload(quint64 count) { payloadAhead_ -= count; }

private:
    QByteArray header_;
    quint64 payloadAhead_ = 0;
    bool unmasked_ = false;
};

class ClientStream : public QObject {
    Q_OBJECT
public:
    // Made for a socket just accepted (at `sinceMs`), before anything reads
    // from it; a child of the socket.
    ClientStream(QTcpSocket* socket, qint64 sinceMs);

    QTcpSocket* socket() const { return socket_; }
    qint64 since() const { return since_; }
    // From now on the stream is frames, read by `webSocket`.
    void upgraded(QWebSocket* webSocket);
    QWebSocket* webSocket() const { return webSocket_; }

signals:
    void unmaskedFrame();

private:
    void beforeRead();

    QTcpSocket* socket_;
    QWebSocket* webSocket_ = nullptr;
    qint64 since_;
    qint64 leftBehind_ = 0;  // bytes the WebSocket layer left in the buffer, already looked at
    ClientFrameCheck check_;
};

}  // namespace jexremote
