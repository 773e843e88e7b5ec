#pragma once
// One server's settings written out by hand, and the same settings as the
// texts each format holds, also by hand.

#include <QString>

#include "exchange/model/server_settings.h"

namespace modeltest {

// "Lobby", US, NovaWorld, password "secret", 24 players, no time limit, two
// minutes' delay, maps cycled, respawn 8, dedicated, Nova login, no skins,
// auto balance on (stored 0), a two-line message, no team passwords,
// friendly kills on with at most 6, takeover 15, flag return 210, 100 lives,
// tracers and clays on, no ping checks, max ping 15000, buildings
// destructible, game port 17479; Medic restricted; M4 restricted, Claymore
// not; auto-load on.
inline kdrsm::model::ServerSettings lobby() {
    kdrsm::model::ServerSettings s;
    const char* fields[] = {
        "Lobby", "US",    "0", "secret", "23", "0",    "2",
        "2",     "8",     "1", "1",      "0",  "0",    "Welcome!\r\nNo camping.",
        "",      "",      "1", "6",      "1",  "1",    "15",
        "210",   "100",   "1", "1",      "0",  "0",    "0",
        "0",     "15000", "0", "0",      "1",  "17479"};
    for (int i = 0; i < kdrsm::model::kSettingCount; ++i)
        s.fields[static_cast<size_t>(i)] = QString::fromUtf8(fields[i]);
    s.roles = {{"CQB", false}, {"Gunner", false}, {"Medic", true}, {"Sniper", false}};
    s.weapons = {{"M4", true}, {"Claymore", false}};
    s.autoLoad = true;
    return s;
}

inline const QString kLobbyReply = QStringLiteral(
    "TG9iYnk=|VVM=|0|c2VjcmV0|23|0|2|2|8|1|1|0|0|V2VsY29tZSENCk5vIGNhbXBpbmcu|||1|6|1|1|15|210|"
    "100|1|1|0|0|0|0|15000|0|0|1|17479[-]False|False|True|False[-]TTQ=,1|Q2xheW1vcmU=,0[-]1");

inline const QString kLobbyUpdate = QStringLiteral(
    "TG9iYnk=|VVM=|0|c2VjcmV0|23|0|2|2|8|1|1|0|0|V2VsY29tZSENCk5vIGNhbXBpbmcu|||1|6|1|1|15|210|"
    "100|1|1|0|0|0|0|15000|0|0|1[-]TTQ=[-]||Medic|[-]1");

}  // namespace modeltest
