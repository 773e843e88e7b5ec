#include "remote/net/client_stream.h"

#include <QTcpSocket>
#include <QWebSocket>

#include <algorithm>

namespace jexremote {

bool ClientFrameCheck::take(QByteArrayView bytes) {
    qsizetype at = 0;
    while (at < bytes.size() && !unmasked_) {
        if (payloadAhead_ > 0) {
            const auto skip = std::min<quint64>(payloadAhead_, quint64(bytes.size() - at));
            payloadAhead_ -= skip;
            at += qsizetype(skip);
            continue;
        }
        header_ += bytes[at++];
        if (header_.size() < 2) continue;
        const auto second = quint8(header_[1]);
        if (!(second & 0x80)) {
            unmasked_ = true;
            break;
        }
        const int shortLength = second & 0x7f;
        const int lengthBytes = shortLength == 126 ? 2 : shortLength == 127 ? 8 : 0;
        if (header_.size() < 2 + lengthBytes + 4) continue;  // the mask key closes the header
        quint64 length = quint64(shortLength);
        if (lengthBytes > 0) {
            length = 0;
            for (int i = 0; i < lengthBytes; ++i) length = (length << 8) | quint8(header_[2 + i]);
        }
        payloadAhead_ = length;
        header_.clear();
    }
    return !unmasked_;
}

ClientStream::ClientStream(QTcpSocket* socket, qint64 sinceMs)
    : QObject(socket), socket_(socket), since_(sinceMs) {
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Connected before the WebSocket layer's own reader, so called first.
    connect(socket, &QTcpSocket::readyRead, this, &ClientStream::beforeRead);
}

void ClientStream::upgraded(QWebSocket* webSocket) {
    webSocket_ = webSocket;
    leftBehind_ = socket_->bytesAvailable();  // sent before the upgrade was answered: not frames
    // Connected after the WebSocket layer's reader, so called after it.
    connect(socket_, &QTcpSocket::readyRead, this,
            [this] { leftBehind_ = socket_->bytesAvailable(); });
}

void ClientStream::beforeRead() {
    if (!webSocket_) return;
    const qint64 available = socket_->bytesAvailable();
    const qint64 fresh = available - leftBehind_;
    if (fresh <= 0) return;
    leftBehind_ = available;
    if (check_.payloadAhead() >= quint64(fresh)) return check_.skipPayload(quint64(fresh));
    if (!check_.take(QByteArrayView(socket_->peek(available)).sliced(available - fresh)))
        emit unmaskedFrame();
}

}  // namespace jexremote
