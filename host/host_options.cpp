#include "host/host_options.h"

#include <QCommandLineParser>

namespace jexhost {

std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reference host for the KDR Server Manager settings panel."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("ws:// URL of the remote side (default: start one in-process)."),
        QStringLiteral("URL"));
    const QCommandLineOption state(
        QStringLiteral("state"),
        QStringLiteral("State file (INI) of the in-process remote side (default: in memory)."),
        QStringLiteral("FILE"));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Profile index (default 0)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption tag(QStringLiteral("tag"),
                                 QStringLiteral("Host tag sent with every request."),
                                 QStringLiteral("TEXT"), QStringLiteral("jexhost"));
    const QCommandLineOption privileges(
        QStringLiteral("privileges"),
        QStringLiteral("INI file of privilege=value lines (default: super administrator)."),
        QStringLiteral("FILE"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after-ms"),
                                       QStringLiteral("Quit after N milliseconds (smoke runs)."),
                                       QStringLiteral("N"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("With --quit-after-ms: save a PNG of the window before quitting."),
        QStringLiteral("FILE"));
    parser.addOptions({remote, state, profile, tag, privileges, quitAfter, screenshot});

    if (!parser.parse(arguments)) return ParseExit{parser.errorText(), true};
    if (parser.isSet(help)) return ParseExit{parser.helpText(), false};
    if (!parser.positionalArguments().isEmpty())
        return ParseExit{QStringLiteral("unexpected argument: ") + parser.positionalArguments()[0],
                         true};

    HostOptions options;
    if (parser.isSet(remote)) {
        options.remote = QUrl(parser.value(remote), QUrl::StrictMode);
        if (!options.remote.isValid() || options.remote.scheme() != QStringLiteral("ws") ||
            options.remote.host().isEmpty())
            return ParseExit{QStringLiteral("--remote needs a ws:// URL"), true};
    }
    options.remoteState = parser.value(state);
    bool ok = false;
    options.profile = parser.value(profile).toInt(&ok);
    if (!ok) return ParseExit{QStringLiteral("--profile needs a whole number"), true};
    options.tag = parser.value(tag);
    options.privilegesFile = parser.value(privileges);
    if (parser.isSet(quitAfter)) {
        options.quitAfterMs = parser.value(quitAfter).toInt(&ok);
        if (!ok || options.quitAfterMs < 0)
            return ParseExit{QStringLiteral("--quit-after-ms needs a number of milliseconds"),
                             true};
    }
    options.screenshot = parser.value(screenshot);
    if (!options.screenshot.isEmpty() && options.quitAfterMs < 0)
        return ParseExit{QStringLiteral("--screenshot needs --quit-after-ms"), true};
    return options;
}

}  // namespace jexhost
