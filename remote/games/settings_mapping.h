#pragma once
// Our settings as a game's variables, through its definition's mapping: the
// configuration lines written before a start with auto-load on, the console
// lines that hand a running game what an update changed (and which changed
// settings wait for a restart), and which of our settings a configuration
// file edited by someone else holds with another value. Captions are the
// form's words; a value is never quoted in a problem.

#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/model/server_settings.h"
#include "link/game_messages.h"
#include "remote/games/game_definition.h"

namespace jexremote::games {

struct MappedLines {
    QStringList lines;
    QList<jexlink::ApplyProblem> problems;  // settings left out, and why
};

// A line for every mapped setting of `settings`.
MappedLines configurationLines(const GameDefinition& definition,
                               const kdrsm::model::ServerSettings& settings);

struct LiveChange {
    QStringList lines;          // for the game's console, now
    QStringList variables;      // read back afterwards, in the same order
    QStringList captions;       // of each variable's setting
    QStringList expected;       // what each variable holds once the line is taken
    QStringList restartNeeded;  // captions of changed settings the game takes at a start only
    QList<jexlink::ApplyProblem> problems;
};

// What changed from `before` to `after`, as the running game takes it.
LiveChange liveChange(const GameDefinition& definition, const kdrsm::model::ServerSettings& before,
                      const kdrsm::model::ServerSettings& after);

// The captions of our settings whose value in `configuration` (the game's
// file as it is on disk) differs from the one `settings` would write there.
QStringList drift(const GameDefinition& definition, const QByteArray& configuration,
                  const kdrsm::model::ServerSettings& settings);

}  // namespace jexremote::games
