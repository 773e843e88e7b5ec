#include "remote/net/link_listener.h"

#include <QFile>
#include <QTcpServer>

#ifndef QT_NO_SSL
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#endif

#include "remote/remote_service.h"

namespace jexremote {

namespace {

#ifndef QT_NO_SSL
bool loadSslConfiguration(const RemoteOptions& options, QSslConfiguration* configuration,
                          QString* error) {
    const auto certificates = QSslCertificate::fromPath(options.certFile, QSsl::Pem);
    QFile keyFile(options.keyFile);
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the certificate %1 or the key %2")
                     .arg(options.certFile, options.keyFile);
        return false;
    }
    const QByteArray pem = keyFile.read(1 << 20);
    QSslKey key(pem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) key = QSslKey(pem, QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        *error = QStringLiteral("the key %1 is not an RSA or EC key in PEM").arg(options.keyFile);
        return false;
    }
    *configuration = QSslConfiguration::defaultConfiguration();
    configuration->setLocalCertificateChain(certificates);
    configuration->setPrivateKey(key);
    configuration->setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}
#endif

}  // namespace

LinkListener openLinkListener(const RemoteOptions& options, int tlsHandshakeMs, QString* error) {
    LinkListener listener;
    listener.secure = !options.certFile.isEmpty() || !options.keyFile.isEmpty();
    if (!listener.secure && !options.insecure && !options.address.isLoopback()) {
        *error = QStringLiteral(
                     "refusing to serve ws:// on %1, which is not loopback: give "
                     "--cert and --key for wss://, or --insecure")
                     .arg(options.address.toString());
        return {};
    }
    if (listener.secure) {
#ifndef QT_NO_SSL
        QSslConfiguration configuration;
        if (!loadSslConfiguration(options, &configuration, error)) return {};
        auto tls = std::make_unique<QSslServer>();
        tls->setSslConfiguration(configuration);
        tls->setHandshakeTimeout(tlsHandshakeMs);
        listener.server = std::move(tls);
#else
        *error = QStringLiteral("this build has no TLS support");
        return {};
#endif
    } else {
        listener.server = std::make_unique<QTcpServer>();
    }
    if (!listener.server->listen(options.address, options.port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(options.address.toString())
                     .arg(options.port)
                     .arg(listener.server->errorString());
        return {};
    }
    return listener;
}

}  // namespace jexremote
