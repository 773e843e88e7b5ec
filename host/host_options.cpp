#include "host/host_options.h"

#include <QCommandLineParser>

#include <optional>

#include "exchange/wire/request.h"

namespace jexhost {

namespace {

// A whole number of at least `minimum`, or nothing.
std::optional<int> wholeNumber(const QString& text, int minimum) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum) return std::nullopt;
    return value;
}

}  // namespace

std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reference host for the KDR Server Manager settings panel."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("ws:// or wss:// URL of the remote side (default: start one in-process)."),
        QStringLiteral("URL"));
    const QCommandLineOption tokenFile(
        QStringLiteral("token-file"),
        QStringLiteral("File whose first token is presented to the remote side (needed with "
                       "--remote; default: the in-process side's, created below the root)."),
        QStringLiteral("FILE"));
    const QCommandLineOption stateDir(
        QStringLiteral("state-dir"),
        QStringLiteral("State folder of the in-process remote side (default: below the root)."),
        QStringLiteral("DIR"));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Profile index (default 0)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption tag(QStringLiteral("tag"),
                                 QStringLiteral("Host tag sent with every request."),
                                 QStringLiteral("TEXT"), QStringLiteral("jexhost"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout-ms"),
        QStringLiteral("Wait at most N ms for an answer (default 10000)."), QStringLiteral("N"),
        QStringLiteral("10000"));
    const QCommandLineOption keepAlive(
        QStringLiteral("keepalive-ms"),
        QStringLiteral("Ping an open link every N ms (default 15000)."), QStringLiteral("N"),
        QStringLiteral("15000"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after-ms"),
                                       QStringLiteral("Quit after N milliseconds (smoke runs)."),
                                       QStringLiteral("N"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("With --quit-after-ms: save a PNG of the window before quitting."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {remote, tokenFile, stateDir, profile, tag, timeout, keepAlive, quitAfter, screenshot});

    if (!parser.parse(arguments)) return ParseExit{parser.errorText(), true};
    if (parser.isSet(help)) return ParseExit{parser.helpText(), false};
    if (!parser.positionalArguments().isEmpty())
        return ParseExit{QStringLiteral("unexpected argument: ") + parser.positionalArguments()[0],
                         true};
    const auto refuse = [](const char* text) { return ParseExit{QString::fromLatin1(text), true}; };

    HostOptions options;
    if (parser.isSet(remote)) {
        options.remote = QUrl(parser.value(remote), QUrl::StrictMode);
        const QString scheme = options.remote.scheme();
        if (!options.remote.isValid() || (scheme != u"ws" && scheme != u"wss") ||
            options.remote.host().isEmpty())
            return refuse("--remote needs a ws:// or wss:// URL");
        if (!parser.isSet(tokenFile)) return refuse("--remote needs --token-file");
        if (parser.isSet(stateDir)) return refuse("--state-dir is for the in-process remote side");
    }
    options.tokenFile = parser.value(tokenFile);
    options.stateDir = parser.value(stateDir);
    bool ok = false;
    options.profile = parser.value(profile).toInt(&ok);
    if (!ok) return refuse("--profile needs a whole number");
    options.tag = parser.value(tag);
    // The carrier knows the host's requests by their tag, so it must read back.
    const auto read = kdrsm::wire::parseRequestText(
        kdrsm::wire::requestText(kdrsm::wire::kGetSettings, options.tag, options.profile, {}));
    if (!read || read->hostTag != options.tag)
        return refuse("--tag must not hold \"_VB6_\", a number and \"_\" in a row");
    const auto timeoutMs = wholeNumber(parser.value(timeout), 1);
    if (!timeoutMs) return refuse("--timeout-ms needs a positive number of milliseconds");
    options.timeoutMs = *timeoutMs;
    const auto keepAliveMs = wholeNumber(parser.value(keepAlive), 1);
    if (!keepAliveMs) return refuse("--keepalive-ms needs a positive number of milliseconds");
    options.keepAliveMs = *keepAliveMs;
    if (parser.isSet(quitAfter)) {
        const auto quitAfterMs = wholeNumber(parser.value(quitAfter), 0);
        if (!quitAfterMs) return refuse("--quit-after-ms needs a number of milliseconds");
        options.quitAfterMs = *quitAfterMs;
    }
    options.screenshot = parser.value(screenshot);
    if (!options.screenshot.isEmpty() && options.quitAfterMs < 0)
        return refuse("--screenshot needs --quit-after-ms");
    return options;
}

}  // namespace jexhost
