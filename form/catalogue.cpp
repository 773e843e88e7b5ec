#include "form/catalogue.h"

#include <cstring>
#include <string_view>

#include "exchange/wire/setting_schema.h"

namespace kdrsm::catalogue {

namespace {

using enum Kind;

// A setting's caption (on the label beside it), fixed entries and longest
// text come from its row.
consteval const char* captionOf(std::string_view control) {
    return wire::settingOf(control).caption;
}
consteval const char* entriesOf(std::string_view control) {
    return wire::settingOf(control).entries;
}
consteval int limitOf(std::string_view control) {
    return wire::settingOf(control).maxLength;
}

// Labels stand next to their controls; contents follow their frame in the
// order that makes the setting controls come out in settings-file key order.
// clang-format off
constexpr Row kRows[] = {
    // The form itself.
    {.name = "Picture1", .kind = PictureBox, .rect = {10560, 5520, 495, 495}, .tabIndex = 85,
     .flags = Hidden},
    {.name = "cdSettings", .kind = CommonDialog, .flags = Hidden},
    {.name = "chkAutoLoad", .kind = CheckBox,
     .caption = "Autoload last known settings on start up.", .rect = {6480, 5400, 3495, 255},
     .tabIndex = 82, .flags = InFront},
    {.name = "Frame12", .kind = Frame, .rect = {5520, 5160, 5415, 615}, .tabIndex = 81},
    {.name = "Frame3", .kind = Frame, .caption = "Options", .rect = {240, 4920, 5055, 855},
     .tabIndex = 14},

    // Server Options.
    {.name = "Frame1", .kind = Frame, .caption = "Server Options", .rect = {240, 2040, 5055, 2895},
     .tabIndex = 12},
    {.name = "Label22", .kind = Label, .container = "Frame1", .caption = captionOf("savAutoBalance"),
     .rect = {3120, 1440, 1095, 255}},
    {.name = "savAutoBalance", .kind = CheckBox, .container = "Frame1",
     .rect = {4440, 1440, 255, 195}, .tabIndex = 29},
    {.name = "Label13", .kind = Label, .container = "Frame1", .caption = captionOf("savNovaLogin"),
     .rect = {3120, 720, 1335, 255}},
    {.name = "savNovaLogin", .kind = CheckBox, .container = "Frame1", .rect = {4440, 720, 255, 195},
     .tabIndex = 9},
    {.name = "Label12", .kind = Label, .container = "Frame1", .caption = captionOf("savSkins"),
     .rect = {3120, 1080, 1095, 255}},
    {.name = "savSkins", .kind = CheckBox, .container = "Frame1", .rect = {4440, 1080, 255, 195},
     .tabIndex = 10},
    {.name = "Label11", .kind = Label, .container = "Frame1", .caption = captionOf("savMessage"),
     .rect = {360, 1800, 1215, 255}, .flags = Underlined},
    {.name = "savMessage", .kind = TextBox, .container = "Frame1", .rect = {360, 2040, 4335, 645},
     .tabIndex = 24, .maxLength = limitOf("savMessage"), .flags = MultiLine},
    {.name = "Label10", .kind = Label, .container = "Frame1", .caption = captionOf("savDedicated"),
     .rect = {3120, 360, 855, 255}},
    {.name = "savDedicated", .kind = CheckBox, .container = "Frame1", .rect = {4440, 360, 255, 195},
     .tabIndex = 8},
    {.name = "Label9", .kind = Label, .container = "Frame1", .caption = captionOf("savRespawn"),
     .rect = {360, 1440, 1095, 255}},
    {.name = "savRespawn", .kind = ComboBox, .container = "Frame1", .rect = {1560, 1440, 1215, 315},
     .tabIndex = 7},
    {.name = "Label8", .kind = Label, .container = "Frame1", .caption = captionOf("savMaps"),
     .rect = {360, 1080, 975, 255}},
    {.name = "savMaps", .kind = ComboBox, .container = "Frame1", .rect = {1560, 1080, 1215, 315},
     .tabIndex = 6, .entries = entriesOf("savMaps")},
    {.name = "Label7", .kind = Label, .container = "Frame1", .caption = captionOf("savDelay"),
     .rect = {360, 720, 975, 255}},
    {.name = "savDelay", .kind = ComboBox, .container = "Frame1", .rect = {1560, 720, 1215, 315},
     .tabIndex = 5, .entries = entriesOf("savDelay")},
    {.name = "Label6", .kind = Label, .container = "Frame1", .caption = captionOf("savTime"),
     .rect = {360, 360, 855, 255}},
    {.name = "savTime", .kind = ComboBox, .container = "Frame1", .rect = {1560, 360, 1215, 315},
     .tabIndex = 4, .entries = entriesOf("savTime")},

    // Server Details.
    {.name = "Frame2", .kind = Frame, .caption = "Server Details", .rect = {240, 240, 5055, 1815},
     .tabIndex = 11},
    {.name = "Label4", .kind = Label, .container = "Frame2", .caption = captionOf("savPlayers"),
     .rect = {3240, 1320, 975, 255}},
    {.name = "savPlayers", .kind = ListBox, .container = "Frame2", .rect = {4320, 1320, 615, 255},
     .tabIndex = 83, .flags = OneRow},
    {.name = "Label5", .kind = Label, .container = "Frame2", .caption = captionOf("savSession"),
     .rect = {2520, 840, 1095, 255}},
    {.name = "savSession", .kind = ComboBox, .container = "Frame2", .rect = {3720, 840, 1215, 315},
     .tabIndex = 2, .entries = entriesOf("savSession")},
    {.name = "Label2", .kind = Label, .container = "Frame2", .caption = captionOf("savCountry"),
     .rect = {120, 840, 975, 255}},
    {.name = "savCountry", .kind = ComboBox, .container = "Frame2", .caption = "savCountry",
     .rect = {960, 840, 1215, 315}, .tabIndex = 1, .flags = Editable, .entries = entriesOf("savCountry")},
    {.name = "Label3", .kind = Label, .container = "Frame2", .caption = captionOf("savPassword"),
     .rect = {120, 1320, 855, 255}},
    {.name = "savPassword", .kind = TextBox, .container = "Frame2", .rect = {960, 1320, 1815, 285},
     .tabIndex = 3, .maxLength = limitOf("savPassword")},
    {.name = "Label1", .kind = Label, .container = "Frame2", .caption = captionOf("savServerName"),
     .rect = {120, 360, 1095, 255}},
    {.name = "savServerName", .kind = TextBox, .container = "Frame2", .rect = {960, 360, 3975, 285},
     .tabIndex = 0, .maxLength = limitOf("savServerName")},

    // The tab control; its frames follow, each with the tab it stands on.
    {.name = "SSTab2", .kind = TabControl, .rect = {5520, 360, 5445, 4695}, .tabIndex = 30,
     .index = 1, .entries = "Team Options|Miscellaneous Options|Restrictions"},

    {.name = "Frame9", .kind = Frame, .container = "SSTab2", .tab = 1, .caption = "Miscellaneous",
     .rect = {240, 2040, 4935, 1215}},
    {.name = "Label14", .kind = Label, .container = "Frame9", .caption = captionOf("savGamePort"),
     .rect = {2880, 720, 855, 255}, .enabled = false},
    {.name = "savGamePort", .kind = TextBox, .container = "Frame9", .rect = {3840, 720, 735, 285},
     .tabIndex = 86, .maxLength = limitOf("savGamePort"), .enabled = false, .flags = Centred},
    {.name = "Label37", .kind = Label, .container = "Frame9", .caption = captionOf("savFatBullets"),
     .rect = {360, 720, 855, 255}},
    {.name = "savFatBullets", .kind = CheckBox, .container = "Frame9",
     .rect = {1680, 720, 255, 195}, .tabIndex = 69},
    {.name = "Label35", .kind = Label, .container = "Frame9", .caption = captionOf("savDestroyBuildings"),
     .rect = {2400, 360, 1335, 255}},
    {.name = "savDestroyBuildings", .kind = CheckBox, .container = "Frame9",
     .rect = {4320, 360, 255, 195}, .tabIndex = 68},
    {.name = "Label34", .kind = Label, .container = "Frame9", .caption = captionOf("savOneShot"),
     .rect = {360, 360, 1095, 255}},
    {.name = "savOneShot", .kind = CheckBox, .container = "Frame9", .rect = {1680, 360, 255, 195},
     .tabIndex = 67},

    {.name = "Frame7", .kind = Frame, .container = "SSTab2", .tab = 1,
     .caption = "Ping Check Settings", .rect = {240, 720, 4935, 1215}},
    {.name = "Label33", .kind = Label, .container = "Frame7", .caption = captionOf("savMaxPing"),
     .rect = {3000, 720, 735, 255}, .enabled = false},
    {.name = "savMaxPing", .kind = TextBox, .container = "Frame7", .rect = {3840, 720, 735, 285},
     .tabIndex = 61, .maxLength = limitOf("savMaxPing"), .enabled = false, .flags = Centred},
    {.name = "Label32", .kind = Label, .container = "Frame7", .caption = captionOf("savMaxPingChk"),
     .rect = {360, 720, 1815, 255}},
    {.name = "savMaxPingChk", .kind = CheckBox, .container = "Frame7",
     .rect = {2160, 720, 255, 195}, .tabIndex = 60},
    {.name = "Label31", .kind = Label, .container = "Frame7", .caption = captionOf("savMinPing"),
     .rect = {3000, 360, 735, 255}, .enabled = false},
    {.name = "savMinPing", .kind = TextBox, .container = "Frame7", .rect = {3840, 360, 735, 285},
     .tabIndex = 59, .maxLength = limitOf("savMinPing"), .enabled = false, .flags = Centred},
    {.name = "Label30", .kind = Label, .container = "Frame7", .caption = captionOf("savMinPingChk"),
     .rect = {360, 360, 1695, 255}},
    {.name = "savMinPingChk", .kind = CheckBox, .container = "Frame7",
     .rect = {2160, 360, 255, 195}, .tabIndex = 58},

    {.name = "Frame5", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Friendly Fire",
     .rect = {240, 1800, 4935, 1095}},
    {.name = "Label19", .kind = Label, .container = "Frame5", .caption = captionOf("savMaxFF"),
     .rect = {120, 600, 1335, 255}},
    {.name = "savMaxFF", .kind = ComboBox, .container = "Frame5", .rect = {1560, 600, 975, 315},
     .tabIndex = 84},
    {.name = "Label21", .kind = Label, .container = "Frame5", .caption = captionOf("savFFWarn"),
     .rect = {2880, 600, 1695, 255}},
    {.name = "savFFWarn", .kind = CheckBox, .container = "Frame5", .rect = {4560, 600, 255, 195},
     .tabIndex = 52},
    {.name = "Label20", .kind = Label, .container = "Frame5", .caption = captionOf("savFFTags"),
     .rect = {3000, 240, 1455, 255}},
    {.name = "savFFTags", .kind = CheckBox, .container = "Frame5", .rect = {4560, 240, 255, 195},
     .tabIndex = 51},
    {.name = "Label18", .kind = Label, .container = "Frame5", .caption = captionOf("savFFKills"),
     .rect = {120, 240, 1335, 255}},
    {.name = "savFFKills", .kind = CheckBox, .container = "Frame5", .rect = {1560, 240, 255, 195},
     .tabIndex = 50},

    {.name = "Frame6", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Game Play",
     .rect = {240, 3000, 4935, 1575}},
    {.name = "Label26", .kind = Label, .container = "Frame6", .caption = captionOf("savLives"),
     .rect = {240, 1080, 1335, 255}},
    {.name = "savLives", .kind = TextBox, .container = "Frame6", .rect = {1800, 1080, 855, 285},
     .tabIndex = 42, .maxLength = limitOf("savLives")},
    {.name = "Label29", .kind = Label, .container = "Frame6", .caption = captionOf("savFlagReturn"),
     .rect = {240, 720, 1455, 255}},
    {.name = "savFlagReturn", .kind = TextBox, .container = "Frame6", .rect = {1800, 720, 855, 285},
     .tabIndex = 41, .maxLength = limitOf("savFlagReturn")},
    {.name = "Label27", .kind = Label, .container = "Frame6", .caption = captionOf("savPSPTime"),
     .rect = {240, 360, 1575, 255}},
    {.name = "savPSPTime", .kind = ComboBox, .container = "Frame6", .rect = {1800, 360, 855, 315},
     .tabIndex = 40},
    {.name = "Label25", .kind = Label, .container = "Frame6", .caption = captionOf("savAutoRange"),
     .rect = {3000, 1080, 1335, 255}},
    {.name = "savAutoRange", .kind = CheckBox, .container = "Frame6",
     .rect = {4440, 1080, 255, 195}, .tabIndex = 39},
    {.name = "Label24", .kind = Label, .container = "Frame6", .caption = captionOf("savClays"),
     .rect = {3000, 720, 1335, 255}},
    {.name = "savClays", .kind = CheckBox, .container = "Frame6", .rect = {4440, 720, 255, 195},
     .tabIndex = 38},
    {.name = "Label23", .kind = Label, .container = "Frame6", .caption = captionOf("savTracers"),
     .rect = {3000, 360, 1095, 255}},
    {.name = "savTracers", .kind = CheckBox, .container = "Frame6", .rect = {4440, 360, 255, 195},
     .tabIndex = 37},

    {.name = "Frame4", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Passwords",
     .rect = {240, 480, 4935, 1215}},
    {.name = "Label17", .kind = Label, .container = "Frame4", .caption = captionOf("savRedPass"),
     .rect = {240, 720, 1215, 255}},
    {.name = "savRedPass", .kind = TextBox, .container = "Frame4", .rect = {1440, 720, 1815, 285},
     .tabIndex = 33, .maxLength = limitOf("savRedPass")},
    {.name = "Label16", .kind = Label, .container = "Frame4", .caption = captionOf("savBluePass"),
     .rect = {240, 360, 1215, 255}},
    {.name = "savBluePass", .kind = TextBox, .container = "Frame4", .rect = {1440, 360, 1815, 285},
     .tabIndex = 32, .maxLength = limitOf("savBluePass")},

    {.name = "Frame10", .kind = Frame, .container = "SSTab2", .tab = 2,
     .caption = "Role Restrictions", .rect = {240, 360, 4935, 1335}},
    {.name = "lstRoles", .kind = ListBox, .container = "Frame10", .rect = {120, 240, 2775, 960},
     .tabIndex = 76, .flags = CheckBoxes, .entries = "CQB|Gunner|Medic|Sniper"},
    {.name = "optRoles", .kind = OptionButton, .container = "Frame10", .caption = "Select All",
     .rect = {3120, 360, 1575, 255}, .tabIndex = 74, .flags = Chosen, .index = 0},
    {.name = "optRoles", .kind = OptionButton, .container = "Frame10", .caption = "Select None",
     .rect = {3120, 720, 1575, 255}, .tabIndex = 75, .index = 1},

    {.name = "Frame11", .kind = Frame, .container = "SSTab2", .tab = 2,
     .caption = "Weapon Restrictions", .rect = {240, 1680, 4935, 2895}},
    {.name = "lstWeapons", .kind = ListBox, .container = "Frame11", .rect = {120, 240, 2775, 2535},
     .tabIndex = 78, .flags = CheckBoxes},
    {.name = "optWeapons", .kind = OptionButton, .container = "Frame11", .caption = "Select All",
     .rect = {3120, 240, 1575, 255}, .tabIndex = 79, .flags = Chosen, .index = 0},
    {.name = "optWeapons", .kind = OptionButton, .container = "Frame11", .caption = "Select None",
     .rect = {3120, 600, 1575, 255}, .tabIndex = 80, .index = 1},
};
// clang-format on

}  // namespace

std::span<const Row> rows() {
    return kRows;
}

QStringList entries(const Row& row) {
    const QString text = QString::fromLatin1(row.entries);
    return text.isEmpty() ? QStringList() : text.split(u'|');
}

const Row* find(const char* name) {
    for (const Row& row : kRows)
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

}  // namespace kdrsm::catalogue
