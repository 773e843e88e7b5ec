#pragma once
// The settings wire texts in both directions. Sections are joined by "[-]",
// the pieces inside a section by "|".
//
// Reply (remote -> panel): 34 fields | roles "True"/other x4 | weapons
// "<encoded name>,<flag>" | auto-load "1"/other.
// Update (panel -> remote): 33 fields | selected weapons' encoded names |
// four role slots | auto-load check value.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

#include "exchange/wire/setting_schema.h"

namespace kdrsm::wire {

inline const QString kSectionSeparator = QStringLiteral("[-]");
inline const QString kFieldSeparator = QStringLiteral("|");

// A settings reply split into its sections. Sections the text lacks are
// absent (sectionCount tells how many there were); pieces are kept raw.
struct SettingsReply {
    int sectionCount = 0;
    QStringList fields;   // section 0 split on "|"
    QStringList roles;    // section 1 split on "|"
    QStringList weapons;  // section 2 split on "|" (entries "<name>,<flag>")
    QString autoLoad;     // section 3
};
SettingsReply splitSettingsReply(const QString& text);

struct WeaponEntry {
    QString encodedName;
    bool selected = false;
};

// Builds a reply (the remote side's writing of it).
QString joinSettingsReply(const QStringList& fields, const std::array<bool, 4>& roles,
                          const QList<WeaponEntry>& weapons, bool autoLoad);

// The update body.
struct UpdateBody {
    QStringList fields;                // 33 fields
    QStringList encodedWeapons;        // selected weapons only
    std::array<QString, 4> roleSlots;  // "CQB"/"Gunner"/"Medic"/"Sniper" or ""
    QString autoLoad;                  // check value in decimal
};
QString joinUpdateBody(const UpdateBody& body);

// Reads an update body; nothing when it does not have four sections and 33
// fields and four role slots.
std::optional<UpdateBody> parseUpdateBody(const QString& text);

}  // namespace kdrsm::wire
