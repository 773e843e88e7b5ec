#include "host/host_game_options.h"

#include <QUrl>

namespace jexhost {

namespace {

QCommandLineOption flag(const char* name, const char* description) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
}

QCommandLineOption valued(const char* name, const char* description, const char* value) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(value));
}

}  // namespace

GameOptions addGameOptions(QCommandLineParser& parser) {
    GameOptions games{
        flag("start",
             "Start the game of the servers named by --servers or --all, print one JSON line "
             "per server and exit: 0 when every server is done or waiting, 4 otherwise. Needs "
             "no display."),
        flag("stop", "As --start, stopping the game."),
        flag("restart", "As --start, restarting the game."),
        flag("kill", "As --start, killing the game's processes."),
        flag("when-empty", "--stop or --restart once the game has no players."),
        valued("add-remote",
               "Add the servers of a remote side to the servers file, print one JSON line per "
               "server added and exit: 0 when added, 4 when the remote side cannot be asked or "
               "the file not written.",
               "ws://HOST:PORT"),
        valued("token-file", "The token file --add-remote presents to the remote side.", "FILE"),
        valued("profiles", "The profiles --add-remote adds (default: those that run a game).",
               "P[,P...]"),
        flag("all-profiles", "--add-remote adds every profile of the remote side."),
    };
    parser.addOptions({games.start, games.stop, games.restart, games.kill, games.whenEmpty,
                       games.addRemote, games.tokenFile, games.profiles, games.allProfiles});
    return games;
}

bool isLinkAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"ws" || url.scheme() == u"wss") &&
           !url.host().isEmpty() && url.port() >= 1 && url.path().isEmpty() && !url.hasQuery() &&
           !url.hasFragment() && url.userInfo().isEmpty();
}

bool isGameCommandWord(const QString& word) {
    for (const char* name : {"--start", "--stop", "--restart", "--kill", "--add-remote"})
        if (word == QLatin1String(name) || word.startsWith(QLatin1String(name) + u'=')) return true;
    return false;
}

std::optional<QString> readGameOptions(const QCommandLineParser& parser, const GameOptions& games,
                                       HostOptions* options) {
    const std::pair<const QCommandLineOption*, const char*> actions[] = {
        {&games.start, "start"},
        {&games.stop, "stop"},
        {&games.restart, "restart"},
        {&games.kill, "kill"},
    };
    for (const auto& [option, action] : actions) {
        if (!parser.isSet(*option)) continue;
        if (!options->gameAction.isEmpty())
            return QStringLiteral("--start, --stop, --restart and --kill go one at a time");
        options->gameAction = QString::fromLatin1(action);
    }
    options->whenEmpty = parser.isSet(games.whenEmpty);
    if (options->whenEmpty && options->gameAction != u"stop" && options->gameAction != u"restart")
        return QStringLiteral("--when-empty goes with --stop or --restart");

    const bool adding = parser.isSet(games.addRemote);
    if (!adding && (parser.isSet(games.tokenFile) || parser.isSet(games.profiles) ||
                    parser.isSet(games.allProfiles)))
        return QStringLiteral("--token-file, --profiles and --all-profiles go with --add-remote");
    if (!adding) return std::nullopt;
    if (!options->gameAction.isEmpty() || options->status || !options->applyPreset.isEmpty() ||
        !options->undoBatch.isEmpty() || parser.isSet(QStringLiteral("servers")) ||
        parser.isSet(QStringLiteral("all")))
        return QStringLiteral(
            "--add-remote goes alone (with --config, --token-file, --profiles "
            "or --all-profiles)");
    options->addRemote = parser.value(games.addRemote);
    if (!isLinkAddress(options->addRemote))
        return QStringLiteral("--add-remote needs ws://HOST:PORT or wss://HOST:PORT, not %1")
            .arg(options->addRemote);
    options->tokenFile = parser.value(games.tokenFile);
    if (options->tokenFile.isEmpty()) return QStringLiteral("--add-remote needs --token-file FILE");
    options->allProfiles = parser.isSet(games.allProfiles);
    if (parser.isSet(games.profiles) && options->allProfiles)
        return QStringLiteral("--profiles and --all-profiles exclude each other");
    if (parser.isSet(games.profiles)) {
        for (const QString& word : parser.value(games.profiles).split(u',')) {
            bool ok = false;
            const int profile = word.trimmed().toInt(&ok);
            if (!ok || profile < 0)
                return QStringLiteral("--profiles needs whole numbers from 0, not \"%1\"")
                    .arg(word);
            if (!options->addProfiles.contains(profile)) options->addProfiles << profile;
        }
    }
    return std::nullopt;
}

}  // namespace jexhost
