#include "panel_support/server_state.h"

namespace jextest {

QString b64(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

ServerState ServerState::typical() {
    ServerState state;
    // clang-format off
    state.fields = {
        b64("KDR Test Server"), b64("US"),  // 0-1 name, country
        "1", b64("secret"),                 // 2-3 session LAN IP, password
        "15", "30", "2", "2", "8",          // 4-8 players (15: "16"), time, delay, maps, respawn
        "1", "0", "1",                      // 9-11 dedicated, nova login, skins
        "1",                                // 12 auto balance, inverted: box cleared
        b64("Welcome, soldier!"), b64("blue"), b64("red"),  // 13-15 message, team passwords
        "1", "6", "0", "1", "15",           // 16-20 ff kills, max ff "6", tags, warning, takeover "15"
        "210", "100",                       // 21-22 flag return, lives
        "1", "0", "1",                      // 23-25 tracers, clays, auto range
        "1", "20", "0", "15000",            // 26-29 min ping check and value, max ping ditto
        "0", "0", "1",                      // 30-32 one shot, fat bullets, destroy buildings
        "0",                                // 33 game port: "0" shows as 17479
    };
    // clang-format on
    return state;
}

QString ServerState::reply() const {
    return QStringList{fields.join('|'), roles.join('|'), weapons.join('|'), autoLoad}.join("[-]");
}

}  // namespace jextest
