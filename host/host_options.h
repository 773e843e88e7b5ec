#pragma once
// jexhost's command line, read before any window exists so that --help and
// --version work without a display.

#include <QString>
#include <QStringList>

#include <variant>

namespace jexhost {

// This console's version, as --version and the About box show it.
inline constexpr char kHostVersion[] = "1.5.0";

struct HostOptions {
    QString config;           // the servers file; empty: ROOT/settings/servers.ini
    QString server;           // the name of the server to open at start; empty: the last one
    QString stateDir;         // state folder of the host's own remote side; empty: below the root
    int timeoutMs = 10000;    // a request unanswered this long gets an empty answer
    int keepAliveMs = 15000;  // ping interval of an idle link; a missed pong drops it
    int quitAfterMs = -1;     // -1: run until closed
    QString screenshot;       // PNG of the window once the first answer is in; then quit
    bool status = false;      // print every server's link state and exit; no window
    int waitMs = 5000;        // how long --status waits for the links
    // Fleet runs without a window: --apply FILE.ssf or --undo-batch ID.
    QString applyPreset;
    QStringList applyServers;  // --servers NAME,...; empty with --all (also for a game action)
    bool applyAll = false;
    QStringList applySettings;  // --settings KEY,...; empty: the preset's default
    bool dryRun = false;
    QString undoBatch;
    // A game action without a window: --start, --stop, --restart or --kill
    // ("start", ...), on --servers or --all, maybe --when-empty.
    QString gameAction;
    bool whenEmpty = false;
    // --add-remote URL --token-file FILE [--profiles P,... | --all-profiles].
    QString addRemote;
    QString tokenFile;
    QList<int> addProfiles;  // empty: those that run a game (or all, with allProfiles)
    bool allProfiles = false;
};

// The options, or the text to print and exit with (help, version, an error;
// `isError` tells which).
struct ParseExit {
    QString text;
    bool isError = false;
    int status = 2;  // the exit status of an error: 1 for a fleet run's usage error
};
// `arguments` as main() got them, program name first. Qt's own options
// (-platform NAME, ...) are let through for the application object.
std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments);

}  // namespace jexhost
