#pragma once
// What a settings update changes against the settings last fetched: one row
// per changed setting, named by the form's label, with the old and the new
// value as the form shows them (list entries by their text, check boxes as
// on/off/greyed, the auto-balance inversion undone), roles and weapons as
// added to or removed from the restrictions. A password only ever says
// "changed": its text, in any encoding, is in no row and in no snapshot.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace jexhost::changes {

inline const QString kNothingChanged = QStringLiteral("No settings changed");

enum class ChangeKind {
    Value,    // before -> after
    Secret,   // a password changed; before and after stay empty
    Added,    // a role or weapon became restricted; `after` is its name
    Removed,  // a role or weapon is no longer restricted; `before` is its name
};

struct SettingChange {
    ChangeKind kind = ChangeKind::Value;
    QString setting;  // the form's label, e.g. "Max Players:"
    QString before;
    QString after;

    friend bool operator==(const SettingChange&, const SettingChange&) = default;
};

// "Max Players: 16 -> 24", "Password: changed", "Weapon Restrictions: M4 added".
QString changeText(const SettingChange& change);

struct SettingsDifference {
    QString error;  // not empty: the two could not be compared, and why
    QList<SettingChange> changes;
    int omittedWeapons = 0;  // weapon changes beyond the shown bound

    bool comparable() const { return error.isEmpty(); }
};

// One line per change; "No settings changed"; or "cannot compare: <reason>".
QStringList differenceLines(const SettingsDifference& difference);
// "3 changes", "No settings changed" or "cannot compare: <reason>".
QString differenceSummary(const SettingsDifference& difference);

// A settings text read into the form's terms, as much as the difference
// needs. Each value is kept as a bounded text to show and a keyed
// fingerprint (the key lives only in this process) to compare; a password
// keeps its fingerprint only. A snapshot that could not be read holds why.
struct FormValue {
    QString shown;
    QByteArray print;
};

struct SettingsSnapshot {
    QString error;
    std::array<FormValue, 33> fields;
    std::array<bool, 4> roles{};
    QList<FormValue> weapons;  // the restricted weapons, in list order
    FormValue autoLoad;
};

// A settings reply ("GetSettingsRem" answer) and an update body
// ("SetSettingsRem" data) in the form's terms.
SettingsSnapshot snapshotOfReply(const QString& reply);
SettingsSnapshot snapshotOfUpdate(const QString& body);

SettingsDifference compare(const SettingsSnapshot& before, const SettingsSnapshot& after);
SettingsDifference difference(const QString& lastSettingsReply, const QString& updateBody);

}  // namespace jexhost::changes
