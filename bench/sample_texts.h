#pragma once
// Realistic wire texts for the benchmarks: a server's settings as the remote
// side sends them, and the update body the panel sends back.

#include <QString>
#include <QStringList>

#include "exchange/wire/settings_text.h"

namespace kdrsm::bench {

// Base64 of the text's UTF-8 bytes, as the Base64 component writes it.
QString encoded(const QString& text);

// Name of weapon `i`: the game's weapon names, numbered once they run out.
QString weaponName(int i);

// A settings reply: 34 fields, 4 roles and `weaponCount` weapons.
QString sampleSettingsReply(int weaponCount);

// An update body: 33 fields, every other of `weaponCount` weapons selected.
wire::UpdateBody sampleUpdateBody(int weaponCount);

// Field texts as they appear in replies, from list indexes to encoded names.
QStringList sampleFieldTexts();

}  // namespace kdrsm::bench
