#pragma once
// How one kind of game server is run, read from a definition file (JSON, one
// per game, named after it: `teeworlds.json`). The file says which program to
// start with which arguments, the configuration file it reads and how values
// are quoted there, the output line that says it is ready, how it is stopped
// (its own console command, then a signal, then a kill, each after its wait),
// how its live state is read, and how our settings map to its variables.
// Every one of our settings is either mapped or named as unused, so a
// definition says plainly what the game does not take.
//
// Texts may hold placeholders the runner fills in: {port}, {consolePort},
// {consolePassword} and {configFile}. Nothing else of a definition is ever
// handed to a shell: the program runs with its arguments as a list.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote::games {

// How a value is written into the game's configuration and console lines.
enum class Quoting {
    Teeworlds,  // NAME "VALUE", with \" and \\ escaped; one command per line
};

// One of our settings as one of the game's variables.
struct SettingMapping {
    QString setting = {};   // our key: "ServerName", "Players", ...
    QString variable = {};  // the game's: "sv_name"
    bool live = false;      // the game takes a change while it runs
    int add = 0;            // for a number: what to add to our stored value
    bool number = false;    // written as a whole number (set by "add" or "number")
    int maxBytes = 0;       // for a text: the most UTF-8 bytes the game keeps (0 = no bound)
    // For a text: what a line break becomes (the game's own escape); empty
    // when a line break is refused.
    QString lineBreak = {};
};

struct GameDefinition {
    QString name;
    QString title;
    QString program;  // an absolute path
    QStringList arguments;
    QString configFile;  // a plain file name inside the game's folder
    Quoting quoting = Quoting::Teeworlds;
    QList<QPair<QString, QString>> fixedLines;  // variable, value (placeholders allowed)
    QRegularExpression readyLine;
    int readySeconds = 20;
    QString stopCommand;  // the game's own console command; empty when it has none
    int graceSeconds = 5;
    int stopSignal = 15;  // SIGTERM
    int signalSeconds = 3;
    QString query;        // "teeworlds-0.7", or empty for none
    QString consoleKind;  // "econ", or empty when the game has no console
    QString consolePort;  // placeholder text, e.g. "{consolePort}"
    QList<SettingMapping> settings;
    QStringList unused;  // our settings the game does not take
    // The game's variables that hold a password: their values are masked
    // wherever a line shows them.
    QStringList secretVariables;

    const SettingMapping* mappingOf(const QString& setting) const;
};

// Bounds on what a definition file may hold.
inline constexpr qint64 kMaxDefinitionBytes = 64 * 1024;
inline constexpr int kMaxArguments = 64;
inline constexpr int kMaxFixedLines = 64;

// The definition in `json`, whose file is named `fileBaseName` (its "name"
// must be the same); on a problem nothing, and `error` says what and where
// ("settings[2]: unknown setting \"Plyers\"").
std::optional<GameDefinition> readGameDefinition(const QByteArray& json,
                                                 const QString& fileBaseName, QString* error);

// The keys of our settings a definition must map or name as unused: the 34
// fields, the roles, the weapons. (The auto-load flag is ours alone.)
QStringList settingKeysToCover();

}  // namespace jexremote::games
