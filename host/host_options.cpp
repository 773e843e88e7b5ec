#include "host/host_options.h"

#include "host/host_game_options.h"

#include <QCommandLineParser>

#include <algorithm>
#include <optional>

namespace jexhost {

namespace {

// Qt's own options, taken off the line by the application object later; the
// parser only has to let them through.
constexpr const char* kQtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
    "display",     "geometry",           "title"};
constexpr const char* kQtFlags[] = {"reverse", "nograb", "dograb", "widgetcount"};

// A whole number of at least `minimum`, or nothing.
std::optional<int> wholeNumber(const QString& text, int minimum) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum) return std::nullopt;
    return value;
}

QCommandLineOption hidden(const char* name, bool takesValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(),
                              takesValue ? QStringLiteral("value") : QString());
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

}  // namespace

std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Operator's console for game servers: their settings panels, the links to their remote "
        "sides and the requests that travel."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("The servers file (default: ROOT/settings/servers.ini, written with two "
                       "servers on the host's own remote side when missing)."),
        QStringLiteral("FILE"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Open the server of this name at start (default: the last one open)."),
        QStringLiteral("NAME"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Open the server, wait for its first answer (at most 30 s), save a PNG of "
                       "the window to FILE and exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after-ms"),
                                       QStringLiteral("Quit after N milliseconds (smoke runs)."),
                                       QStringLiteral("N"));
    const QCommandLineOption stateDir(
        QStringLiteral("state-dir"),
        QStringLiteral("State folder of the host's own remote side (default: ROOT/remote/state)."),
        QStringLiteral("DIR"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout-ms"),
        QStringLiteral("Wait at most N ms for an answer (default 10000)."), QStringLiteral("N"),
        QStringLiteral("10000"));
    const QCommandLineOption keepAlive(
        QStringLiteral("keepalive-ms"),
        QStringLiteral("Ping an open link every N ms (default 15000)."), QStringLiteral("N"),
        QStringLiteral("15000"));
    const QCommandLineOption status(
        QStringLiteral("status"),
        QStringLiteral("Print the state of every server's link as one JSON line per server and "
                       "exit: 0 when all are connected, 3 otherwise. Needs no display."));
    const QCommandLineOption waitMs(
        QStringLiteral("wait-ms"),
        QStringLiteral("How long --status waits for the links (default 5000)."),
        QStringLiteral("N"), QStringLiteral("5000"));
    const QCommandLineOption apply(
        QStringLiteral("apply"),
        QStringLiteral("Apply a preset to the servers named by --servers or --all, print one JSON "
                       "line per server and exit: 0 when every server is applied, unchanged or "
                       "dry-run, 4 otherwise. Needs no display."),
        QStringLiteral("FILE.ssf"));
    const QCommandLineOption serversOption(
        QStringLiteral("servers"),
        QStringLiteral("The servers --apply or a game action takes, by name."),
        QStringLiteral("NAME[,NAME...]"));
    const QCommandLineOption all(
        QStringLiteral("all"),
        QStringLiteral("--apply or a game action takes every server of the file."));
    const QCommandLineOption settingsOption(
        QStringLiteral("settings"),
        QStringLiteral("The preset's keys --apply takes (default: every setting it holds but the "
                       "server name and the three passwords)."),
        QStringLiteral("KEY[,KEY...]"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("--apply sends nothing; it shows what would "
                                                   "change."));
    const QCommandLineOption undoBatch(
        QStringLiteral("undo-batch"),
        QStringLiteral("Undo a batch of --apply (or of the console): same output and exit codes."),
        QStringLiteral("ID"));
    parser.addOptions({version, config, server, screenshot, quitAfter, stateDir, timeout, keepAlive,
                       status, waitMs, apply, serversOption, all, settingsOption, dryRun,
                       undoBatch});
    const GameOptions games = addGameOptions(parser);
    for (const char* name : kQtValueOptions) parser.addOption(hidden(name, true));
    for (const char* name : kQtFlags) parser.addOption(hidden(name, false));

    // A fleet run's and a game command's usage errors exit with 1, as scripts expect.
    const bool fleet = std::any_of(arguments.begin(), arguments.end(), [](const QString& word) {
        return word.startsWith(QStringLiteral("--apply")) ||
               word.startsWith(QStringLiteral("--undo-batch")) || isGameCommandWord(word);
    });
    const int usageStatus = fleet ? 1 : 2;
    if (!parser.parse(arguments)) return ParseExit{parser.errorText(), true, usageStatus};
    // Without an application object the parser cannot know the program's name.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return ParseExit{parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                   QStringLiteral("jexhost")),
                         false};
    if (parser.isSet(version))
        return ParseExit{QStringLiteral("jexhost ") + QString::fromLatin1(kHostVersion), false};
    if (!parser.positionalArguments().isEmpty())
        return ParseExit{QStringLiteral("unexpected argument: ") + parser.positionalArguments()[0],
                         true};
    const auto refuse = [usageStatus](const char* text) {
        return ParseExit{QString::fromLatin1(text), true, usageStatus};
    };

    HostOptions options;
    options.config = parser.value(config);
    options.server = parser.value(server);
    options.screenshot = parser.value(screenshot);
    options.stateDir = parser.value(stateDir);
    if (parser.isSet(config) && options.config.isEmpty()) return refuse("--config needs a file");
    if (parser.isSet(screenshot) && options.screenshot.isEmpty())
        return refuse("--screenshot needs a file");
    const auto timeoutMs = wholeNumber(parser.value(timeout), 1);
    if (!timeoutMs) return refuse("--timeout-ms needs a positive number of milliseconds");
    options.timeoutMs = *timeoutMs;
    const auto keepAliveMs = wholeNumber(parser.value(keepAlive), 1);
    if (!keepAliveMs) return refuse("--keepalive-ms needs a positive number of milliseconds");
    options.keepAliveMs = *keepAliveMs;
    options.status = parser.isSet(status);
    const auto wait = wholeNumber(parser.value(waitMs), 0);
    if (!wait) return refuse("--wait-ms needs a number of milliseconds");
    if (parser.isSet(waitMs) && !options.status) return refuse("--wait-ms goes with --status");
    options.waitMs = *wait;
    if (parser.isSet(quitAfter)) {
        const auto quitAfterMs = wholeNumber(parser.value(quitAfter), 0);
        if (!quitAfterMs) return refuse("--quit-after-ms needs a number of milliseconds");
        options.quitAfterMs = *quitAfterMs;
    }
    options.applyPreset = parser.value(apply);
    options.undoBatch = parser.value(undoBatch);
    options.applyAll = parser.isSet(all);
    options.dryRun = parser.isSet(dryRun);
    const auto list = [&](const QCommandLineOption& option) {
        return parser.value(option).split(u',', Qt::SkipEmptyParts);
    };
    options.applyServers = list(serversOption);
    options.applySettings = list(settingsOption);
    if (parser.isSet(apply) && options.applyPreset.isEmpty()) return refuse("--apply needs a file");
    if (parser.isSet(undoBatch) && options.undoBatch.isEmpty())
        return refuse("--undo-batch needs a batch id");
    if (parser.isSet(apply) && parser.isSet(undoBatch))
        return refuse("--apply and --undo-batch go one at a time");
    if ((parser.isSet(apply) || parser.isSet(undoBatch)) && options.status)
        return refuse("--status goes alone");
    if (auto fault = readGameOptions(parser, games, &options))
        return ParseExit{*fault, true, usageStatus};
    const bool withApply = parser.isSet(apply);
    const bool withAction = !options.gameAction.isEmpty();
    if (withAction && (parser.isSet(apply) || parser.isSet(undoBatch) || options.status))
        return refuse("a game action goes without --apply, --undo-batch and --status");
    if (!withApply && (parser.isSet(settingsOption) || parser.isSet(dryRun)))
        return refuse("--settings and --dry-run go with --apply");
    if (!withApply && !withAction && (parser.isSet(serversOption) || parser.isSet(all)))
        return refuse("--servers and --all go with --apply or a game action");
    if (parser.isSet(serversOption) && options.applyAll)
        return refuse("--servers and --all exclude each other: name the servers or take all");
    if (withApply && !parser.isSet(serversOption) && !options.applyAll)
        return refuse("--apply needs either --servers NAME[,NAME...] or --all");
    if (withAction && !parser.isSet(serversOption) && !options.applyAll)
        return refuse("a game action needs either --servers NAME[,NAME...] or --all");
    if (parser.isSet(serversOption) && options.applyServers.isEmpty())
        return refuse("--servers needs at least one name");
    if (parser.isSet(settingsOption) && options.applySettings.isEmpty())
        return refuse("--settings needs at least one key");
    return options;
}

}  // namespace jexhost
