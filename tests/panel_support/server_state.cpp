#include "panel_support/server_state.h"

namespace jextest {

QString b64(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

ServerState ServerState::typical() {
    ServerState state;
    state.fields = {
        b64("KDR Test Server"),  // 0 name
        b64("US"),               // 1 country
        "1",                     // 2 session: LAN IP
        b64("secret"),           // 3 password
        "15",                    // 4 players: index 15 = "16"
        "30",                    // 5 time
        "2",                     // 6 delay
        "2",                     // 7 maps
        "8",                     // 8 respawn
        "1",
        "0",
        "1",                       // 9-11 dedicated, nova login, skins
        "1",                       // 12 auto balance, inverted: box cleared
        b64("Welcome, soldier!"),  // 13 message
        b64("blue"),
        b64("red"),  // 14-15 team passwords
        "1",         // 16 friendly fire kills
        "6",         // 17 max friendly kills: entry "6"
        "0",
        "1",   // 18-19 tags, warning
        "15",  // 20 takeover time: entry "15"
        "210",
        "100",  // 21-22 flag return, lives
        "1",
        "0",
        "1",  // 23-25 tracers, clays, auto range
        "1",
        "20",  // 26-27 min ping check and value
        "0",
        "15000",  // 28-29 max ping check and value
        "0",
        "0",
        "1",  // 30-32 one shot, fat bullets, destroy buildings
        "0",  // 33 game port: "0" shows as 17479
    };
    return state;
}

QString ServerState::reply() const {
    return QStringList{fields.join('|'), roles.join('|'), weapons.join('|'), autoLoad}.join("[-]");
}

}  // namespace jextest
