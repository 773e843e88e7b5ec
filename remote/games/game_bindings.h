#pragma once
// Which profile runs which game, on which port: `games.json` in the state
// folder, written by the durable writer, read at start.
//   {"bindings": [{"profile": 0, "definition": "teeworlds", "port": 8303}, ...]}
// `jexremote --set-game` changes it; a binding is refused with the reason when
// its definition is unknown, its port is another profile's, or the profile is
// not one the state folder serves.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote::games {

inline constexpr int kDefaultGamePort = 8303;
inline constexpr int kMaxBindings = 10000;

struct GameBinding {
    int profile = 0;
    QString definition;
    int port = 0;
    bool operator==(const GameBinding&) const = default;
};

QString bindingsFile(const QString& stateFolder);

// The bindings of the state folder; none when it has no file. Nothing, with
// the reason, when the file cannot be read or breaks a rule.
std::optional<QList<GameBinding>> readBindings(const QString& stateFolder, QString* error);
// Empty on success, else why the file could not be written.
QString writeBindings(const QString& stateFolder, const QList<GameBinding>& bindings);

// `bindings` with `profile` bound to `definition` on `port` (0: the default
// port plus the profile), or unbound when `definition` is "none". Nothing,
// with the reason in the operator's words, when it is refused.
std::optional<QList<GameBinding>> withBinding(const QList<GameBinding>& bindings, int profile,
                                              const QString& definition, int port,
                                              const QStringList& knownDefinitions,
                                              const QList<int>& servedProfiles, QString* reason);

}  // namespace jexremote::games
