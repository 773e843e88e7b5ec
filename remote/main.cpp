// jexremote: serves one game server's settings to the panel over WebSocket.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include "remote/remote_plugin.h"
#include "remote/remote_server.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jexremote"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays the server manager jexKDRSM for one game server."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (0: any free port)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Address to listen on."),
                                           QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption stateOption(QStringLiteral("state"),
                                         QStringLiteral("INI file keeping the server's settings."),
                                         QStringLiteral("FILE"));
    parser.addOptions({portOption, addressOption, stateOption});
    parser.process(app);

    QTextStream err(stderr);
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const QHostAddress address(parser.value(addressOption));
    if (!portOk || port > 65535 || address.isNull()) {
        err << "jexremote: bad --port or --address\n";
        return 2;
    }

    jexremote::RemotePlugin plugin(parser.value(stateOption));
    jexremote::RemoteServer server(plugin);
    if (!server.listen(address, static_cast<quint16>(port))) {
        err << "jexremote: cannot listen: " << server.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "jexremote: listening on " << server.url().toString() << Qt::endl;
    return app.exec();
}
