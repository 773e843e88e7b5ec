// jexremote: serves the settings of the game servers in a state folder to
// authenticated hosts over WebSocket.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <variant>

#include "remote/audit/audit_log.h"
#include "remote/audit/audit_trail.h"
#include "remote/remote_service.h"

namespace {

struct Exit {
    QString text;
};

// ADDRESS:PORT, ADDRESS alone or :PORT; an IPv6 address in brackets.
bool parseListen(const QString& text, jexremote::RemoteOptions& options) {
    QString address = text;
    QString port;
    const qsizetype colon = text.lastIndexOf(u':');
    const bool bracketed = text.startsWith(u'[');
    if (colon >= 0 && (!bracketed || text.lastIndexOf(u']') < colon) &&
        (bracketed || text.count(u':') == 1)) {
        address = text.left(colon);
        port = text.mid(colon + 1);
    }
    if (bracketed) address = address.mid(1, address.size() - 2);
    if (!address.isEmpty() && !options.address.setAddress(address)) return false;
    if (port.isEmpty()) return true;
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535) return false;
    options.port = quint16(number);
    return true;
}

std::variant<jexremote::RemoteOptions, Exit> parseOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the settings of the game servers in a state folder, one per profile index, to "
        "hosts that present an operator's token."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Address and port to listen on (default "
                                                   "127.0.0.1:0, any free port)."),
                                    QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption tokens(
        QStringLiteral("token-file"),
        QStringLiteral("Operators' tokens; created with one new token when missing (default "
                       "STATEDIR/tokens)."),
        QStringLiteral("FILE"));
    const QCommandLineOption state(QStringLiteral("state-dir"),
                                   QStringLiteral("Folder of the servers' state files."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption maxMessage(
        QStringLiteral("max-message"),
        QStringLiteral("Largest message accepted, in bytes (default %1).")
            .arg(jexlink::kDefaultMaxMessageBytes),
        QStringLiteral("BYTES"));
    const QCommandLineOption cert(QStringLiteral("cert"),
                                  QStringLiteral("TLS certificate (PEM): serve wss://."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"),
                                 QStringLiteral("TLS private key (PEM) of the certificate."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption insecure(
        QStringLiteral("insecure"),
        QStringLiteral("Allow ws:// (no TLS) on an address other than loopback."));
    const QCommandLineOption auditDays(
        QStringLiteral("audit-days"),
        QStringLiteral("Days an audit record is kept at least (default 365); older archives "
                       "are removed."),
        QStringLiteral("N"));
    parser.addOptions({listen, tokens, state, maxMessage, cert, key, insecure, auditDays});
    parser.process(app);

    jexremote::RemoteOptions options;
    if (parser.isSet(listen) && !parseListen(parser.value(listen), options))
        return Exit{QStringLiteral("bad --listen: give ADDRESS:PORT")};
    if (!parser.isSet(state)) return Exit{QStringLiteral("--state-dir is required")};
    options.stateDir = parser.value(state);
    options.tokenFile = parser.value(tokens);
    if (parser.isSet(maxMessage)) {
        bool ok = false;
        options.maxMessageBytes = parser.value(maxMessage).toLongLong(&ok);
        if (!ok || options.maxMessageBytes < 1024 || options.maxMessageBytes > (1 << 30))
            return Exit{QStringLiteral("bad --max-message: give 1024 to 1073741824 bytes")};
    }
    options.certFile = parser.value(cert);
    options.keyFile = parser.value(key);
    if (options.certFile.isEmpty() != options.keyFile.isEmpty())
        return Exit{QStringLiteral("--cert and --key go together")};
    options.insecure = parser.isSet(insecure);
    if (parser.isSet(auditDays)) {
        bool ok = false;
        options.auditDays = parser.value(auditDays).toInt(&ok);
        if (!ok || options.auditDays < jexremote::kMinAuditDays ||
            options.auditDays > jexremote::kMaxAuditDays)
            return Exit{QStringLiteral("bad --audit-days: give %1 to %2 days")
                            .arg(jexremote::kMinAuditDays)
                            .arg(jexremote::kMaxAuditDays)};
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jexremote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JEX_VERSION));
    jexremote::installLogPattern();

    const auto parsed = parseOptions(app);
    if (const auto* exit = std::get_if<Exit>(&parsed)) {
        QTextStream(stderr) << "jexremote: " << exit->text << Qt::endl;
        return 2;
    }
    const auto& options = std::get<jexremote::RemoteOptions>(parsed);
    jexremote::RemoteService service(options);
    QString error;
    if (!service.start(&error)) {
        QTextStream(stderr) << "jexremote: " << error << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    if (service.createdTokenFile())
        out << "jexremote: token file " << QDir::toNativeSeparators(service.tokenFile())
            << Qt::endl;
    out << "jexremote: listening on " << service.url().toString() << Qt::endl;
    return app.exec();
}
