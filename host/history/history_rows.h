#pragma once
// A server's audit records and kept versions, as the History dialog shows
// them. Both come from the remote side, which is outside: every text is cut
// to a bounded length with its control characters blanked, every list to a
// bounded count, and a password change is only ever "changed", whatever the
// record holds beside it.

#include <QDateTime>
#include <QJsonArray>
#include <QList>
#include <QString>

#include <optional>

namespace jexhost::history {

// Bounds on what is shown of a history answer.
inline constexpr int kMaxRows = 200;           // records
inline constexpr int kMaxChangesPerRow = 300;  // 34 fields, 4 roles, 256 weapons, autoload
inline constexpr int kMaxVersions = 50;        // the remote side keeps 20
inline constexpr int kMaxShownText = 100;      // a value, a setting or entry name
inline constexpr int kMaxOperatorText = 64;    // an operator's name
inline constexpr int kMaxReasonText = 300;     // why a revert was refused
inline constexpr int kMaxCommandText = 256;    // a line sent to a game's console

enum class ChangeKind {
    Value,   // before -> after, in the form's terms
    Secret,  // a password changed; before and after stay empty
};

struct HistoryChange {
    ChangeKind kind = ChangeKind::Value;
    QString setting;  // the form's caption, e.g. "Max Players", "Weapon Restrictions"
    QString entry;    // the role or weapon, for a restriction
    QString before;
    QString after;

    friend bool operator==(const HistoryChange&, const HistoryChange&) = default;
};

// What putting one change of a record back means: the setting's key, the
// role or weapon, and the value the record says it had before (stored text;
// "1" or "0" for a restriction). A password (the record keeps no value), an
// entry the change added or removed, and a value that cannot be read have
// none.
struct PutBack {
    QString key;
    QString entry;
    QString value;
    friend bool operator==(const PutBack&, const PutBack&) = default;
};

struct HistoryRow {
    QDateTime time;  // UTC; invalid when the record's time is unreadable
    QString operatorName;
    std::optional<qint64> version;
    std::optional<qint64> revertOf;
    bool undone = false;  // written, then not stored
    QList<HistoryChange> changes;
    QList<std::optional<PutBack>> putBacks;  // one per change
    int omittedChanges = 0;                  // changes beyond kMaxChangesPerRow
    // An operator's action on the server's game instead of a change of its
    // settings: "start", "stop", "restart", "kill", or a line sent to the
    // game's console (masked by the remote side).
    QString gameAction;
    QString consoleCommand;
};

struct VersionRow {
    qint64 version = 0;
    QDateTime time;  // UTC
    QString operatorName;
};

// The records, newest first; a record that only says an earlier one was
// undone marks that one and is not a row of its own.
QList<HistoryRow> historyRows(const QJsonArray& records);
// The versions that can be put back, newest first.
QList<VersionRow> versionRows(const QJsonArray& versions);

// "Revert of version 7: Name, Max Players"; "Undone: Name"; "No settings changed".
QString rowSummary(const HistoryRow& row);
// The local time of a UTC instant, "2024-05-01 14:00:00"; "(unknown time)".
QString localTimeText(const QDateTime& utc);
// A text from the remote side as it may be shown: one line, at most `limit`
// characters (the last one "…" when cut).
QString shownText(const QString& text, int limit);

}  // namespace jexhost::history
