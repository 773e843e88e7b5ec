#include "form/catalogue.h"

#include <cstring>

#include "exchange/wire/list_entries.h"

namespace kdrsm::catalogue {

namespace {

using enum Kind;

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
    {.name = "Label22", .kind = Label, .container = "Frame1", .caption = "Auto Balance:",
     .rect = {3120, 1440, 1095, 255}},
    {.name = "savAutoBalance", .kind = CheckBox, .container = "Frame1",
     .rect = {4440, 1440, 255, 195}, .tabIndex = 29},
    {.name = "Label13", .kind = Label, .container = "Frame1", .caption = "Req. Nova Login:",
     .rect = {3120, 720, 1335, 255}},
    {.name = "savNovaLogin", .kind = CheckBox, .container = "Frame1", .rect = {4440, 720, 255, 195},
     .tabIndex = 9},
    {.name = "Label12", .kind = Label, .container = "Frame1", .caption = "Custom Skins:",
     .rect = {3120, 1080, 1095, 255}},
    {.name = "savSkins", .kind = CheckBox, .container = "Frame1", .rect = {4440, 1080, 255, 195},
     .tabIndex = 10},
    {.name = "Label11", .kind = Label, .container = "Frame1", .caption = "Host Message:",
     .rect = {360, 1800, 1215, 255}, .flags = Underlined},
    {.name = "savMessage", .kind = TextBox, .container = "Frame1", .rect = {360, 2040, 4335, 645},
     .tabIndex = 24, .maxLength = 85, .flags = MultiLine},
    {.name = "Label10", .kind = Label, .container = "Frame1", .caption = "Dedicated:",
     .rect = {3120, 360, 855, 255}},
    {.name = "savDedicated", .kind = CheckBox, .container = "Frame1", .rect = {4440, 360, 255, 195},
     .tabIndex = 8},
    {.name = "Label9", .kind = Label, .container = "Frame1", .caption = "Respawn Time:",
     .rect = {360, 1440, 1095, 255}},
    {.name = "savRespawn", .kind = ComboBox, .container = "Frame1", .rect = {1560, 1440, 1215, 315},
     .tabIndex = 7},
    {.name = "Label8", .kind = Label, .container = "Frame1", .caption = "Replay Maps:",
     .rect = {360, 1080, 975, 255}},
    {.name = "savMaps", .kind = ComboBox, .container = "Frame1", .rect = {1560, 1080, 1215, 315},
     .tabIndex = 6, .entries = "No|Yes|Cycle"},
    {.name = "Label7", .kind = Label, .container = "Frame1", .caption = "Start Delay:",
     .rect = {360, 720, 975, 255}},
    {.name = "savDelay", .kind = ComboBox, .container = "Frame1", .rect = {1560, 720, 1215, 315},
     .tabIndex = 5, .entries = "No Delay|1 Minute|2 Minutes|3 Minutes"},
    {.name = "Label6", .kind = Label, .container = "Frame1", .caption = "Time Limit:",
     .rect = {360, 360, 855, 255}},
    {.name = "savTime", .kind = ComboBox, .container = "Frame1", .rect = {1560, 360, 1215, 315},
     .tabIndex = 4, .entries = "Infinite"},

    // Server Details.
    {.name = "Frame2", .kind = Frame, .caption = "Server Details", .rect = {240, 240, 5055, 1815},
     .tabIndex = 11},
    {.name = "Label4", .kind = Label, .container = "Frame2", .caption = "Max Players:",
     .rect = {3240, 1320, 975, 255}},
    {.name = "savPlayers", .kind = ListBox, .container = "Frame2", .rect = {4320, 1320, 615, 255},
     .tabIndex = 83, .flags = OneRow},
    {.name = "Label5", .kind = Label, .container = "Frame2", .caption = "Sesstion Type:",
     .rect = {2520, 840, 1095, 255}},
    {.name = "savSession", .kind = ComboBox, .container = "Frame2", .rect = {3720, 840, 1215, 315},
     .tabIndex = 2, .entries = "NovaWorld|LAN IP"},
    {.name = "Label2", .kind = Label, .container = "Frame2", .caption = "Country:",
     .rect = {120, 840, 975, 255}},
    {.name = "savCountry", .kind = ComboBox, .container = "Frame2", .caption = "savCountry",
     .rect = {960, 840, 1215, 315}, .tabIndex = 1, .flags = Editable, .entries = wire::kCountryCodes},
    {.name = "Label3", .kind = Label, .container = "Frame2", .caption = "Password:",
     .rect = {120, 1320, 855, 255}},
    {.name = "savPassword", .kind = TextBox, .container = "Frame2", .rect = {960, 1320, 1815, 285},
     .tabIndex = 3, .maxLength = 16},
    {.name = "Label1", .kind = Label, .container = "Frame2", .caption = "Name:",
     .rect = {120, 360, 1095, 255}},
    {.name = "savServerName", .kind = TextBox, .container = "Frame2", .rect = {960, 360, 3975, 285},
     .tabIndex = 0, .maxLength = 31},

    // The tab control; its frames follow, each with the tab it stands on.
    {.name = "SSTab2", .kind = TabControl, .rect = {5520, 360, 5445, 4695}, .tabIndex = 30,
     .index = 1, .entries = "Team Options|Miscellaneous Options|Restrictions"},

    {.name = "Frame9", .kind = Frame, .container = "SSTab2", .tab = 1, .caption = "Miscellaneous",
     .rect = {240, 2040, 4935, 1215}},
    {.name = "Label14", .kind = Label, .container = "Frame9", .caption = "Game Port:",
     .rect = {2880, 720, 855, 255}, .enabled = false},
    {.name = "savGamePort", .kind = TextBox, .container = "Frame9", .rect = {3840, 720, 735, 285},
     .tabIndex = 86, .maxLength = 5, .enabled = false, .flags = Centred},
    {.name = "Label37", .kind = Label, .container = "Frame9", .caption = "Fat Bullets:",
     .rect = {360, 720, 855, 255}},
    {.name = "savFatBullets", .kind = CheckBox, .container = "Frame9",
     .rect = {1680, 720, 255, 195}, .tabIndex = 69},
    {.name = "Label35", .kind = Label, .container = "Frame9", .caption = "Destroy Buildings:",
     .rect = {2400, 360, 1335, 255}},
    {.name = "savDestroyBuildings", .kind = CheckBox, .container = "Frame9",
     .rect = {4320, 360, 255, 195}, .tabIndex = 68},
    {.name = "Label34", .kind = Label, .container = "Frame9", .caption = "One Shot Kills:",
     .rect = {360, 360, 1095, 255}},
    {.name = "savOneShot", .kind = CheckBox, .container = "Frame9", .rect = {1680, 360, 255, 195},
     .tabIndex = 67},

    {.name = "Frame7", .kind = Frame, .container = "SSTab2", .tab = 1,
     .caption = "Ping Check Settings", .rect = {240, 720, 4935, 1215}},
    {.name = "Label33", .kind = Label, .container = "Frame7", .caption = "Max Ping:",
     .rect = {3000, 720, 735, 255}, .enabled = false},
    {.name = "savMaxPing", .kind = TextBox, .container = "Frame7", .rect = {3840, 720, 735, 285},
     .tabIndex = 61, .maxLength = 5, .enabled = false, .flags = Centred},
    {.name = "Label32", .kind = Label, .container = "Frame7", .caption = "Enable Max Ping Check:",
     .rect = {360, 720, 1815, 255}},
    {.name = "savMaxPingChk", .kind = CheckBox, .container = "Frame7",
     .rect = {2160, 720, 255, 195}, .tabIndex = 60},
    {.name = "Label31", .kind = Label, .container = "Frame7", .caption = "Min Ping:",
     .rect = {3000, 360, 735, 255}, .enabled = false},
    {.name = "savMinPing", .kind = TextBox, .container = "Frame7", .rect = {3840, 360, 735, 285},
     .tabIndex = 59, .maxLength = 3, .enabled = false, .flags = Centred},
    {.name = "Label30", .kind = Label, .container = "Frame7", .caption = "Enable Min Ping Check:",
     .rect = {360, 360, 1695, 255}},
    {.name = "savMinPingChk", .kind = CheckBox, .container = "Frame7",
     .rect = {2160, 360, 255, 195}, .tabIndex = 58},

    {.name = "Frame5", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Friendly Fire",
     .rect = {240, 1800, 4935, 1095}},
    {.name = "Label19", .kind = Label, .container = "Frame5", .caption = "Max Friendly Kills:",
     .rect = {120, 600, 1335, 255}},
    {.name = "savMaxFF", .kind = ComboBox, .container = "Frame5", .rect = {1560, 600, 975, 315},
     .tabIndex = 84},
    {.name = "Label21", .kind = Label, .container = "Frame5", .caption = "Friendly Fire Warning:",
     .rect = {2880, 600, 1695, 255}},
    {.name = "savFFWarn", .kind = CheckBox, .container = "Frame5", .rect = {4560, 600, 255, 195},
     .tabIndex = 52},
    {.name = "Label20", .kind = Label, .container = "Frame5", .caption = "Show Friendly Tags:",
     .rect = {3000, 240, 1455, 255}},
    {.name = "savFFTags", .kind = CheckBox, .container = "Frame5", .rect = {4560, 240, 255, 195},
     .tabIndex = 51},
    {.name = "Label18", .kind = Label, .container = "Frame5", .caption = "Friendly Fire Kills:",
     .rect = {120, 240, 1335, 255}},
    {.name = "savFFKills", .kind = CheckBox, .container = "Frame5", .rect = {1560, 240, 255, 195},
     .tabIndex = 50},

    {.name = "Frame6", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Game Play",
     .rect = {240, 3000, 4935, 1575}},
    {.name = "Label26", .kind = Label, .container = "Frame6", .caption = "Max Team Lives:",
     .rect = {240, 1080, 1335, 255}},
    {.name = "savLives", .kind = TextBox, .container = "Frame6", .rect = {1800, 1080, 855, 285},
     .tabIndex = 42, .maxLength = 3},
    {.name = "Label29", .kind = Label, .container = "Frame6", .caption = "Flag Return Time:",
     .rect = {240, 720, 1455, 255}},
    {.name = "savFlagReturn", .kind = TextBox, .container = "Frame6", .rect = {1800, 720, 855, 285},
     .tabIndex = 41, .maxLength = 3},
    {.name = "Label27", .kind = Label, .container = "Frame6", .caption = "PSP Takeover Time:",
     .rect = {240, 360, 1575, 255}},
    {.name = "savPSPTime", .kind = ComboBox, .container = "Frame6", .rect = {1800, 360, 855, 315},
     .tabIndex = 40},
    {.name = "Label25", .kind = Label, .container = "Frame6", .caption = "Allow Auto Range:",
     .rect = {3000, 1080, 1335, 255}},
    {.name = "savAutoRange", .kind = CheckBox, .container = "Frame6",
     .rect = {4440, 1080, 255, 195}, .tabIndex = 39},
    {.name = "Label24", .kind = Label, .container = "Frame6", .caption = "Show Team Clays:",
     .rect = {3000, 720, 1335, 255}},
    {.name = "savClays", .kind = CheckBox, .container = "Frame6", .rect = {4440, 720, 255, 195},
     .tabIndex = 38},
    {.name = "Label23", .kind = Label, .container = "Frame6", .caption = "Show Tracers:",
     .rect = {3000, 360, 1095, 255}},
    {.name = "savTracers", .kind = CheckBox, .container = "Frame6", .rect = {4440, 360, 255, 195},
     .tabIndex = 37},

    {.name = "Frame4", .kind = Frame, .container = "SSTab2", .tab = 0, .caption = "Passwords",
     .rect = {240, 480, 4935, 1215}},
    {.name = "Label17", .kind = Label, .container = "Frame4", .caption = "Red Password:",
     .rect = {240, 720, 1215, 255}},
    {.name = "savRedPass", .kind = TextBox, .container = "Frame4", .rect = {1440, 720, 1815, 285},
     .tabIndex = 33, .maxLength = 16},
    {.name = "Label16", .kind = Label, .container = "Frame4", .caption = "Blue Password:",
     .rect = {240, 360, 1215, 255}},
    {.name = "savBluePass", .kind = TextBox, .container = "Frame4", .rect = {1440, 360, 1815, 285},
     .tabIndex = 32, .maxLength = 16},

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
