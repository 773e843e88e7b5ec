#include "exchange/wire/fields.h"

#include "jex/convert.h"
#include "jex/error.h"

namespace kdrsm::wire {

using C = Correction;
using R = ReplyForm;
using U = UpdateForm;

// clang-format off
const std::array<WireField, 34> kWireFields = {{
    {0,  "savServerName",       R::Decoded,         U::Encoded,        C::BlankText,   0, 0,   0,  "Untitled"},
    {1,  "savCountry",          R::Decoded,         U::Encoded},
    {2,  "savSession",          R::ListIndex,       U::ListIndex,      C::ListRange,   0, 1,   0},
    {3,  "savPassword",         R::Decoded,         U::Encoded},
    {4,  "savPlayers",          R::ListIndex,       U::ListIndex,      C::EntryRange,  1, 50,  0,  "50"},
    {5,  "savTime",             R::ListIndex,       U::ListIndex,      C::ListRange,   0, 100, 30},
    {6,  "savDelay",            R::ListIndex,       U::ListIndex,      C::ListRange,   0, 3,   2},
    {7,  "savMaps",             R::ListIndex,       U::ListIndex,      C::ListRange,   0, 2,   2},
    {8,  "savRespawn",          R::ListIndex,       U::ListIndex,      C::ListRange,   0, 120, 8},
    {9,  "savDedicated",        R::Check,           U::Check},
    {10, "savNovaLogin",        R::Check,           U::Check},
    {11, "savSkins",            R::Check,           U::Check},
    {12, "savAutoBalance",      R::InvertedCheck,   U::InvertedCheck},
    {13, "savMessage",          R::Decoded,         U::Encoded},
    {14, "savBluePass",         R::Decoded,         U::Encoded},
    {15, "savRedPass",          R::Decoded,         U::Encoded},
    {16, "savFFKills",          R::Check,           U::Check},
    {17, "savMaxFF",            R::ListIndexMinus1, U::ListIndexPlus1, C::ListRange,   0, 50,  5},
    {18, "savFFTags",           R::Check,           U::Check},
    {19, "savFFWarn",           R::Check,           U::Check},
    {20, "savPSPTime",          R::ListIndexMinus1, U::ListIndexPlus1, C::ListRange,   0, 99,  14},
    {21, "savFlagReturn",       R::Text,            U::TextOrDefault,  C::None,        0, 0,   0,  "210"},
    {22, "savLives",            R::Text,            U::TextOrDefault,  C::None,        0, 0,   0,  "100"},
    {23, "savTracers",          R::Check,           U::Check},
    {24, "savClays",            R::Check,           U::Check},
    {25, "savAutoRange",        R::Check,           U::Check},
    {26, "savMinPingChk",       R::Check,           U::Check},
    {27, "savMinPing",          R::Text,            U::Text,           C::NumericText, 0, 0,   0,  "0"},
    {28, "savMaxPingChk",       R::Check,           U::Check},
    {29, "savMaxPing",          R::Text,            U::Text,           C::NumericText, 0, 0,   0,  "15000"},
    {30, "savOneShot",          R::Check,           U::Check},
    {31, "savFatBullets",       R::Check,           U::Check},
    {32, "savDestroyBuildings", R::Check,           U::Check},
    {33, "savGamePort",         R::GamePort,        U::NotSent},
}};
// clang-format on

// Name; country and password; session; players; time, delay, maps, respawn;
// message and team passwords; friendly kills and takeover time; flag return
// and lives; the two pings; auto balance last.
const std::array<int, 19> kUpdatePreparationOrder = {0,  1,  3,  2,  4,  5,  6,  7,  8, 13,
                                                     14, 15, 17, 20, 21, 22, 27, 29, 12};

qint16 numberFromReply(ReplyForm form, const QString& field) {
    switch (form) {
        case R::ListIndex:
        case R::Check:
            return jex::toInteger(field);
        case R::ListIndexMinus1:
            return jex::toInteger(jex::toDouble(field) - 1.0);
        case R::InvertedCheck:
            return jex::equalsNumber(field, 1.0) ? 0 : 1;
        default:
            jex::raise(jex::err::TypeMismatch);
    }
}

QString textFromReply(ReplyForm form, const QString& field) {
    if (form == R::GamePort && jex::trimBlanks(field) == QStringLiteral("0"))
        return QStringLiteral("17479");
    return field;
}

int listIndexInRange(const WireField& field, int index) {
    return index > field.high || index < field.low ? field.reset : index;
}

QString correctedText(const WireField& field, const QString& text) {
    const bool keep = field.correction == C::BlankText ? !jex::isBlank(text) : jex::isNumeric(text);
    return keep ? text : QString::fromLatin1(field.text);
}

QString textOrDefault(const WireField& field, const QString& text) {
    return jex::isNumeric(text) ? text : QString::fromLatin1(field.text);
}

}  // namespace kdrsm::wire
