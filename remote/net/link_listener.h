#pragma once
// The link's listening socket, this side's own so that each connection is
// seen before the WebSocket layer reads from it: TLS (wss://) with a
// certificate and key, plain TCP (ws://) otherwise, and plain TCP on an
// address other than loopback only when allowed to be insecure.

#include <QString>

#include <memory>

class QTcpServer;

namespace jexremote {

struct RemoteOptions;

struct LinkListener {
    std::unique_ptr<QTcpServer> server;  // listening; a QSslServer when secure
    bool secure = false;
};

// Listens as the options say, a TLS handshake having `tlsHandshakeMs` at most.
// Nothing listens, with the reason in `error`, when it cannot.
LinkListener openLinkListener(const RemoteOptions& options, int tlsHandshakeMs, QString* error);

}  // namespace jexremote
