#pragma once
// What each setting of section 0 is, one row per setting in wire order: the
// form's control and caption, how the field converts in each direction and
// what the update puts right, the list entries, the longest text, whether
// it is a password and which privilege guards it. Everything else that
// describes a setting (keys, captions, list entries, the form's limits, the
// remote side's rules, the preset order) is read from here.

#include <array>
#include <string_view>

namespace kdrsm::wire {

// Every setting travels in the reply; the update carries all but the last,
// the game port, which travels one way only.
inline constexpr int kSettingCount = 34;
inline constexpr int kUpdateFieldCount = 33;

// What a setting's control holds.
enum class SettingKind {
    Text,    // free text
    Number,  // a number typed as text
    List,    // an index into a list
    Code,    // an editable list whose chosen text is what travels (the country)
    Check,   // a check value
};

// How a reply field becomes a control value.
enum class ReplyForm {
    Decoded,          // Dec64 of the field -> text
    ListIndex,        // 16-bit integer -> list index
    ListIndexMinus1,  // integer of (field - 1) -> list index
    Check,            // 16-bit integer -> check value
    InvertedCheck,    // numeric value 1 -> 0, any other number -> 1
    Text,             // the field text unchanged
    GamePort,         // trimmed "0" -> "17479", else unchanged
};

// How a control value becomes an update field.
enum class UpdateForm {
    Encoded,         // Enc64 of the whole text, "" when blank
    ListIndex,       // list index in decimal
    ListIndexPlus1,  // list index + 1 in decimal
    Check,           // check value in decimal
    InvertedCheck,   // "0" when checked (1), else "1"
    TextOrDefault,   // text as typed when numeric and not blank, else `text`
    Text,            // text as typed
    NotSent,         // the game port travels one way only
};

// What the update corrects in the form before the field is read.
enum class Correction {
    None,
    BlankText,    // blank text -> `text`
    NumericText,  // blank or non-numeric text -> `text`
    ListRange,    // list index outside low..high -> select `reset`
    EntryRange,   // selected entry's number outside low..high (or none) -> select entry `text`
};

// The privileges, in the order the welcome names them and the panel applies them.
enum Privilege : int {
    NotGuarded = -1,
    ChangeSessionType,
    ChangeMaxPlayers,
    ChangeDedicatedMode,
    ChangeCustomSkins,
    ChangeNovaLogin,
};

// The country codes of the Country box, in list order: a preset keeps the
// index of the code chosen.
inline constexpr const char* kCountryCodes =
    "AD|AE|AF|AG|AI|AL|AM|AN|AO|AP|AQ|AR|AS|AT|AU|AW|AZ|BA|BB|BD|BE|BF|BG|BH|BI|BJ|BM|BN|BO|"
    "BR|BS|BT|BV|BW|BY|BZ|CA|CD|CF|CG|CH|CI|CK|CL|CM|CN|CO|CR|CU|CV|CY|CZ|DE|DJ|DK|DM|DO|DZ|"
    "EC|EE|EG|ER|ES|ET|EU|FI|FJ|FK|FM|FO|FR|GA|GB|GD|GE|GF|GH|GI|GL|GM|GN|GP|GQ|GR|GU|GW|GY|"
    "HK|HM|HN|HR|HT|HU|ID|IE|IL|IN|IO|IQ|IR|IS|IT|JM|JO|JP|KE|KG|KH|KI|KM|KN|KP|KR|KW|KY|KZ|"
    "LA|LB|LC|LI|LK|LR|LS|LT|LU|LV|LY|MA|MC|MD|ME|MG|MH|MK|ML|MM|MN|MO|MP|MQ|MR|MS|MT|MU|MV|"
    "MW|MX|MY|MZ|NA|NC|NE|NF|NG|NI|NL|NO|NP|NR|NU|NZ|OM|PA|PE|PF|PG|PH|PK|PL|PR|PS|PT|PW|PY|"
    "QA|RE|RO|RS|RU|RW|SA|SB|SC|SD|SE|SG|SI|SK|SL|SM|SN|SO|SR|ST|SV|SY|SZ|TC|TD|TG|TH|TJ|TK|"
    "TM|TN|TO|TR|TT|TV|TW|TZ|UA|UG|UK|UM|US|UY|UZ|VA|VC|VE|VG|VI|VN|VU|WF|WS|YE|YT|ZA|ZM|ZW";

struct Setting {
    int index;            // field in the reply and, but for the game port, the update
    const char* control;  // the form's control; the key is its name without "sav"
    const char* caption;  // the label beside it, in the form's own words
    SettingKind kind;
    ReplyForm reply;
    UpdateForm update;
    Correction correction = Correction::None;
    int low = 0;  // the correction's bounds, its reset index and its replacement text
    int high = 0;
    int reset = 0;
    const char* text = nullptr;
    const char* entries = "";  // a list's fixed entries, '|'-separated
    int first = 1;             // numbers the form appends to a list: first..last
    int last = 0;
    int maxLength = 0;    // longest text a text or code setting holds
    bool secret = false;  // a password: never shown, logged or kept outside the settings
    Privilege privilege = NotGuarded;
    int formPlace = 0;  // where the form creates the control among the settings
};

namespace setting_rows {

using K = SettingKind;
using C = Correction;
using R = ReplyForm;
using U = UpdateForm;

// clang-format off
inline constexpr std::array<Setting, kSettingCount> kSettings = {{
    {.index = 0, .control = "savServerName", .caption = "Name:", .kind = K::Text,
     .reply = R::Decoded, .update = U::Encoded, .correction = C::BlankText, .text = "Untitled",
     .maxLength = 31, .formPlace = 13},
    // The country box takes any text; its length is bounded where it is stored.
    {.index = 1, .control = "savCountry", .caption = "Country:", .kind = K::Code,
     .reply = R::Decoded, .update = U::Encoded, .entries = kCountryCodes, .maxLength = 32,
     .formPlace = 11},
    {.index = 2, .control = "savSession", .caption = "Sesstion Type:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::ListRange, .low = 0,
     .high = 1, .reset = 0, .entries = "NovaWorld|LAN IP", .privilege = ChangeSessionType,
     .formPlace = 10},
    {.index = 3, .control = "savPassword", .caption = "Password:", .kind = K::Text,
     .reply = R::Decoded, .update = U::Encoded, .maxLength = 16, .secret = true, .formPlace = 12},
    {.index = 4, .control = "savPlayers", .caption = "Max Players:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::EntryRange, .low = 1,
     .high = 50, .reset = 0, .text = "50", .first = 1, .last = 50,
     .privilege = ChangeMaxPlayers, .formPlace = 9},
    {.index = 5, .control = "savTime", .caption = "Time Limit:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::ListRange, .low = 0,
     .high = 100, .reset = 30, .entries = "Infinite", .first = 1, .last = 100, .formPlace = 8},
    {.index = 6, .control = "savDelay", .caption = "Start Delay:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::ListRange, .low = 0,
     .high = 3, .reset = 2, .entries = "No Delay|1 Minute|2 Minutes|3 Minutes", .formPlace = 7},
    {.index = 7, .control = "savMaps", .caption = "Replay Maps:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::ListRange, .low = 0,
     .high = 2, .reset = 2, .entries = "No|Yes|Cycle", .formPlace = 6},
    {.index = 8, .control = "savRespawn", .caption = "Respawn Time:", .kind = K::List,
     .reply = R::ListIndex, .update = U::ListIndex, .correction = C::ListRange, .low = 0,
     .high = 120, .reset = 8, .first = 0, .last = 120, .formPlace = 5},
    {.index = 9, .control = "savDedicated", .caption = "Dedicated:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .privilege = ChangeDedicatedMode, .formPlace = 4},
    {.index = 10, .control = "savNovaLogin", .caption = "Req. Nova Login:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .privilege = ChangeNovaLogin, .formPlace = 1},
    {.index = 11, .control = "savSkins", .caption = "Custom Skins:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .privilege = ChangeCustomSkins, .formPlace = 2},
    {.index = 12, .control = "savAutoBalance", .caption = "Auto Balance:", .kind = K::Check,
     .reply = R::InvertedCheck, .update = U::InvertedCheck, .formPlace = 0},
    {.index = 13, .control = "savMessage", .caption = "Host Message:", .kind = K::Text,
     .reply = R::Decoded, .update = U::Encoded, .maxLength = 85, .formPlace = 3},
    {.index = 14, .control = "savBluePass", .caption = "Blue Password:", .kind = K::Text,
     .reply = R::Decoded, .update = U::Encoded, .maxLength = 16, .secret = true, .formPlace = 33},
    {.index = 15, .control = "savRedPass", .caption = "Red Password:", .kind = K::Text,
     .reply = R::Decoded, .update = U::Encoded, .maxLength = 16, .secret = true, .formPlace = 32},
    {.index = 16, .control = "savFFKills", .caption = "Friendly Fire Kills:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 25},
    {.index = 17, .control = "savMaxFF", .caption = "Max Friendly Kills:", .kind = K::List,
     .reply = R::ListIndexMinus1, .update = U::ListIndexPlus1, .correction = C::ListRange,
     .low = 0, .high = 50, .reset = 5, .first = 1, .last = 50, .formPlace = 22},
    {.index = 18, .control = "savFFTags", .caption = "Show Friendly Tags:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 24},
    {.index = 19, .control = "savFFWarn", .caption = "Friendly Fire Warning:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 23},
    {.index = 20, .control = "savPSPTime", .caption = "PSP Takeover Time:", .kind = K::List,
     .reply = R::ListIndexMinus1, .update = U::ListIndexPlus1, .correction = C::ListRange,
     .low = 0, .high = 99, .reset = 14, .first = 1, .last = 100, .formPlace = 28},
    {.index = 21, .control = "savFlagReturn", .caption = "Flag Return Time:", .kind = K::Number,
     .reply = R::Text, .update = U::TextOrDefault, .text = "210", .maxLength = 3,
     .formPlace = 27},
    {.index = 22, .control = "savLives", .caption = "Max Team Lives:", .kind = K::Number,
     .reply = R::Text, .update = U::TextOrDefault, .text = "100", .maxLength = 3,
     .formPlace = 26},
    {.index = 23, .control = "savTracers", .caption = "Show Tracers:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 31},
    {.index = 24, .control = "savClays", .caption = "Show Team Clays:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 30},
    {.index = 25, .control = "savAutoRange", .caption = "Allow Auto Range:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 29},
    {.index = 26, .control = "savMinPingChk", .caption = "Enable Min Ping Check:",
     .kind = K::Check, .reply = R::Check, .update = U::Check, .formPlace = 21},
    {.index = 27, .control = "savMinPing", .caption = "Min Ping:", .kind = K::Number,
     .reply = R::Text, .update = U::Text, .correction = C::NumericText, .text = "0",
     .maxLength = 3, .formPlace = 20},
    {.index = 28, .control = "savMaxPingChk", .caption = "Enable Max Ping Check:",
     .kind = K::Check, .reply = R::Check, .update = U::Check, .formPlace = 19},
    {.index = 29, .control = "savMaxPing", .caption = "Max Ping:", .kind = K::Number,
     .reply = R::Text, .update = U::Text, .correction = C::NumericText, .text = "15000",
     .maxLength = 5, .formPlace = 18},
    {.index = 30, .control = "savOneShot", .caption = "One Shot Kills:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 17},
    {.index = 31, .control = "savFatBullets", .caption = "Fat Bullets:", .kind = K::Check,
     .reply = R::Check, .update = U::Check, .formPlace = 15},
    {.index = 32, .control = "savDestroyBuildings", .caption = "Destroy Buildings:",
     .kind = K::Check, .reply = R::Check, .update = U::Check, .formPlace = 16},
    {.index = 33, .control = "savGamePort", .caption = "Game Port:", .kind = K::Number,
     .reply = R::GamePort, .update = U::NotSent, .maxLength = 5, .formPlace = 14},
}};
// clang-format on

}  // namespace setting_rows

using setting_rows::kSettings;

// The row of a control ("savPlayers"); a name that is no setting does not compile.
consteval const Setting& settingOf(std::string_view control) {
    for (const Setting& setting : kSettings)
        if (control == setting.control) return setting;
    throw "no setting has this control";
}

// How many entries a list has once the form is loaded: its fixed entries and
// the numbers appended to them.
constexpr int entryCount(const Setting& setting) {
    const std::string_view fixed = setting.entries;
    int count = fixed.empty() ? 0 : 1;
    for (char c : fixed) count += c == '|' ? 1 : 0;
    return count + (setting.last >= setting.first ? setting.last - setting.first + 1 : 0);
}

// The setting a privilege guards, by its place in the privilege names;
// nullptr for a place past them.
constexpr const Setting* guardedBy(int privilege) {
    for (const Setting& setting : kSettings)
        if (setting.privilege == privilege) return &setting;
    return nullptr;
}

}  // namespace kdrsm::wire
