#pragma once
// What a server entry may hold: one row per key of the servers file, with the
// member it fills and the rule its text must follow. Reading the file, writing
// it and the server dialog all check entries with these rows.

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>

#include "host/servers/server_entry.h"

namespace jexhost::servers {

inline constexpr int kMaxServers = 10000;
inline constexpr int kMaxIdLength = 32;

struct KeyRule {
    const char* key;
    bool required;  // the key must be present (it may still be empty if its rule allows)
    QString (*fault)(const QString& value);                // why the text is refused; empty: fine
    QString (*get)(const ServerEntry& entry);              // the entry's value as file text
    void (*set)(ServerEntry& entry, const QString& text);  // only called with accepted text
};

// In the order the keys are written.
extern const std::array<KeyRule, 6> kKeyRules;

// A refused entry: the key at fault (empty for the section itself) and why.
struct Fault {
    QString key;
    QString reason;
    friend bool operator==(const Fault&, const Fault&) = default;
};

// Why a section name cannot name a server; empty when it can.
QString idFault(const QString& id);

// The first rule the entry breaks on its own, in key order.
std::optional<Fault> entryFault(const ServerEntry& entry);

// The first clash with another server (other ids only): the same name, or the
// same tag and profile (the console could not tell their requests apart).
std::optional<Fault> clashFault(const ServerEntry& entry, const QList<ServerEntry>& others);

// The same check against servers added one by one, each looked up rather
// than searched: a file of thousands of servers is read in one pass.
class ClashIndex {
public:
    std::optional<Fault> fault(const ServerEntry& entry) const;
    void add(const ServerEntry& entry);

private:
    QHash<QString, QString> idOfName_;
    QHash<QString, QString> idOfRoute_;  // tag and profile
};

}  // namespace jexhost::servers
