#include "remote/validation/field_rules.h"

#include "exchange/wire/fields.h"
#include "jex/convert.h"

namespace jexremote {

namespace {

using K = FieldKind;

// Plain decimal as the panel writes a number: an optional minus sign and up
// to six digits, no leading zero, nothing else.
std::optional<int> plainDecimal(const QString& text) {
    const int digitsFrom = text.startsWith(u'-') ? 1 : 0;
    if (text.size() <= digitsFrom || text.size() > digitsFrom + 6) return std::nullopt;
    if (text[digitsFrom] == u'0' && text.size() > 1) return std::nullopt;
    for (int i = digitsFrom; i < text.size(); ++i)
        if (!text[i].isDigit() || text[i].unicode() > '9') return std::nullopt;
    return text.toInt();
}

}  // namespace

// List ranges follow the panel's lists: players 1..50 at indexes 0..49, time
// limit "Infinite" then 1..100, maximum friendly kills and takeover time as
// their entries' numbers. Text lengths are those of the panel's text boxes;
// the country box takes any text, bounded here.
// clang-format off
const std::array<FieldRule, kdrsm::wire::kReplyFieldCount> kFieldRules{{
    {"Delta Force Server", K::FreeText, 0, 0, 31},     //  0 ServerName
    {"US", K::FreeText, 0, 0, 32},                     //  1 Country
    {"0", K::WholeNumber, 0, 1},                       //  2 Session: NovaWorld, LAN IP
    {"", K::FreeText, 0, 0, 16},                       //  3 Password
    {"31", K::WholeNumber, 0, 49},                     //  4 Players: index = players - 1
    {"30", K::WholeNumber, 0, 100},                    //  5 Time: 0 = Infinite
    {"2", K::WholeNumber, 0, 3},                       //  6 Delay
    {"2", K::WholeNumber, 0, 2},                       //  7 Maps: No, Yes, Cycle
    {"8", K::WholeNumber, 0, 120},                     //  8 Respawn
    {"1", K::WholeNumber, 0, 2},                       //  9 Dedicated
    {"1", K::WholeNumber, 0, 2},                       // 10 NovaLogin
    {"0", K::WholeNumber, 0, 2},                       // 11 Skins
    {"0", K::WholeNumber, 0, 1},                       // 12 AutoBalance, inverted: 0 = on
    {"Welcome! Play fair and have fun.", K::FreeText, 0, 0, 85},  // 13 Message
    {"", K::FreeText, 0, 0, 16},                       // 14 BluePass
    {"", K::FreeText, 0, 0, 16},                       // 15 RedPass
    {"1", K::WholeNumber, 0, 2},                       // 16 FFKills
    {"6", K::WholeNumber, 1, 50},                      // 17 MaxFF: entry number
    {"1", K::WholeNumber, 0, 2},                       // 18 FFTags
    {"1", K::WholeNumber, 0, 2},                       // 19 FFWarn
    {"15", K::WholeNumber, 1, 100},                    // 20 PSPTime: entry number
    {"210", K::NumericText, 0, 0, 3},                  // 21 FlagReturn
    {"100", K::NumericText, 0, 0, 3},                  // 22 Lives
    {"1", K::WholeNumber, 0, 2},                       // 23 Tracers
    {"1", K::WholeNumber, 0, 2},                       // 24 Clays
    {"0", K::WholeNumber, 0, 2},                       // 25 AutoRange
    {"0", K::WholeNumber, 0, 2},                       // 26 MinPingChk
    {"0", K::NumericText, 0, 0, 3},                    // 27 MinPing
    {"0", K::WholeNumber, 0, 2},                       // 28 MaxPingChk
    {"15000", K::NumericText, 0, 0, 5},                // 29 MaxPing
    {"0", K::WholeNumber, 0, 2},                       // 30 OneShot
    {"0", K::WholeNumber, 0, 2},                       // 31 FatBullets
    {"1", K::WholeNumber, 0, 2},                       // 32 DestroyBuildings
    {"17479", K::NumericText, 0, 0, 5},                // 33 GamePort
}};
// clang-format on

QString fieldFault(int field, const QString& text) {
    const FieldRule& rule = kFieldRules.at(field);
    switch (rule.kind) {
        case K::FreeText:
            if (text.size() > rule.maxLength)
                return QStringLiteral("longer than %1 characters").arg(rule.maxLength);
            return {};
        case K::WholeNumber: {
            const auto number = plainDecimal(text);
            if (!number) return QStringLiteral("not a whole number");
            if (*number < rule.low || *number > rule.high)
                return QStringLiteral("outside %1 to %2").arg(rule.low).arg(rule.high);
            return {};
        }
        case K::NumericText:
            if (text.size() > rule.maxLength)
                return QStringLiteral("longer than %1 characters").arg(rule.maxLength);
            if (!jex::isNumeric(text)) return QStringLiteral("not a number");
            return {};
    }
    return QStringLiteral("unknown field");
}

}  // namespace jexremote
