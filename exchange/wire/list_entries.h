#pragma once
// The entries of the form's lists once the form is loaded, by wire index: the
// fixed entries first, then the numbers the load step appends, both read
// from the setting's row. A list index on the wire names an entry of these
// lists, so anything that shows a settings text outside the form (the host's
// views) names entries the same way.

#include <QString>
#include <QStringList>

#include <array>

#include "exchange/wire/setting_schema.h"

namespace kdrsm::wire {

// The role list, in list order (role flag and role slot i name entry i).
inline constexpr std::array<const char*, 4> kRoleEntries = {"CQB", "Gunner", "Medic", "Sniper"};

// Every entry of the list of field `index`; empty when the field is no list.
QStringList listEntries(int index);

}  // namespace kdrsm::wire
