#pragma once
// The command line's game commands, beside the other options of
// host_options.cpp: --start|--stop|--restart|--kill with --when-empty, and
// --add-remote URL --token-file FILE [--profiles P,...|--all-profiles].

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>

#include "host/host_options.h"

namespace jexhost {

struct GameOptions {
    QCommandLineOption start, stop, restart, kill, whenEmpty;
    QCommandLineOption addRemote, tokenFile, profiles, allProfiles;
};

GameOptions addGameOptions(QCommandLineParser& parser);
// A word that makes the run a game command (its usage errors exit with 1).
bool isGameCommandWord(const QString& word);
// A remote side's link address: ws://HOST:PORT or wss://HOST:PORT, nothing more.
bool isLinkAddress(const QString& address);
// Fills the game commands into `options`; the usage error, if any.
std::optional<QString> readGameOptions(const QCommandLineParser& parser, const GameOptions& games,
                                       HostOptions* options);

}  // namespace jexhost
