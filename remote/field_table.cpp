#include "remote/field_table.h"

#include "exchange/wire/fields.h"

namespace jexremote {

namespace {
constexpr int kNoRange = -1;  // min > max: not a ranged number
}

// clang-format off
const std::array<FieldRule, kdrsm::wire::kReplyFieldCount> kFieldRules{{
    {"Delta Force Server", 0, kNoRange},       //  0 ServerName
    {"US", 0, kNoRange},                       //  1 Country
    {"0", 0, 1},                               //  2 Session: NovaWorld, LAN IP
    {"", 0, kNoRange},                         //  3 Password
    {"31", 0, 49},                             //  4 Players: index = players - 1
    {"30", 0, 100},                            //  5 Time: 0 = Infinite
    {"2", 0, 3},                               //  6 Delay
    {"2", 0, 2},                               //  7 Maps: No, Yes, Cycle
    {"8", 0, 120},                             //  8 Respawn
    {"1", 0, 2},                               //  9 Dedicated
    {"1", 0, 2},                               // 10 NovaLogin
    {"0", 0, 2},                               // 11 Skins
    {"0", 0, 1},                               // 12 AutoBalance, inverted: 0 = on
    {"Welcome! Play fair and have fun.", 0, kNoRange},  // 13 Message
    {"", 0, kNoRange},                         // 14 BluePass
    {"", 0, kNoRange},                         // 15 RedPass
    {"1", 0, 2},                               // 16 FFKills
    {"6", 1, 50},                              // 17 MaxFF: entry number
    {"1", 0, 2},                               // 18 FFTags
    {"1", 0, 2},                               // 19 FFWarn
    {"15", 1, 100},                            // 20 PSPTime: entry number
    {"210", 0, kNoRange},                      // 21 FlagReturn
    {"100", 0, kNoRange},                      // 22 Lives
    {"1", 0, 2},                               // 23 Tracers
    {"1", 0, 2},                               // 24 Clays
    {"0", 0, 2},                               // 25 AutoRange
    {"0", 0, 2},                               // 26 MinPingChk
    {"0", 0, kNoRange},                        // 27 MinPing
    {"0", 0, 2},                               // 28 MaxPingChk
    {"15000", 0, kNoRange},                    // 29 MaxPing
    {"0", 0, 2},                               // 30 OneShot
    {"0", 0, 2},                               // 31 FatBullets
    {"1", 0, 2},                               // 32 DestroyBuildings
    {"17479", 0, kNoRange},                    // 33 GamePort
}};
// clang-format on

QString fieldKey(int index) {
    return QString::fromLatin1(kdrsm::wire::kWireFields.at(index).control).mid(3);
}

}  // namespace jexremote
