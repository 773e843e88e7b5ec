#include "exchange/wire/list_entries.h"

namespace kdrsm::wire {

// clang-format off
const std::array<ListEntries, 9> kListEntries = {{
    {1,  "savCountry", kCountryCodes,                          1, 0},
    {2,  "savSession", "NovaWorld|LAN IP",                       1, 0},
    {4,  "savPlayers", "",                                       1, 50},
    {5,  "savTime",    "Infinite",                               1, 100},
    {6,  "savDelay",   "No Delay|1 Minute|2 Minutes|3 Minutes",  1, 0},
    {7,  "savMaps",    "No|Yes|Cycle",                           1, 0},
    {8,  "savRespawn", "",                                       0, 120},
    {17, "savMaxFF",   "",                                       1, 50},
    {20, "savPSPTime", "",                                       1, 100},
}};
// clang-format on

QStringList listEntries(int index) {
    QStringList entries;
    for (const ListEntries& list : kListEntries) {
        if (list.index != index) continue;
        const QString fixed = QString::fromLatin1(list.fixed);
        if (!fixed.isEmpty()) entries = fixed.split(u'|');
        for (int n = list.first; n <= list.last; ++n) entries << QString::number(n);
    }
    return entries;
}

}  // namespace kdrsm::wire
