#pragma once
// The entries of the form's lists once the form is loaded, by wire index: the
// fixed entries first, then the numbers the load step appends. A list index
// on the wire names an entry of these lists, so anything that shows a
// settings text outside the form (the host's views) names entries the same
// way.

#include <QString>
#include <QStringList>

#include <array>

namespace kdrsm::wire {

struct ListEntries {
    int index;            // wire index of the field
    const char* control;  // the list's control
    const char* fixed;    // design-time entries, '|'-separated
    int first;            // numbers appended at load: first..last (none when first > last)
    int last;
};

extern const std::array<ListEntries, 8> kListEntries;

// The role list, in list order (role flag and role slot i name entry i).
inline constexpr std::array<const char*, 4> kRoleEntries = {"CQB", "Gunner", "Medic", "Sniper"};

// Every entry of the list of field `index`; empty when the field is no list.
QStringList listEntries(int index);

}  // namespace kdrsm::wire
