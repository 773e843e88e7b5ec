#pragma once
// The form's control catalogue: one row per control, in creation order. That
// order is the form's control collection (containers before their contents),
// and so the order in which settings files list their keys.

#include <QStringList>

#include <span>

namespace kdrsm::catalogue {

enum class Kind {
    PictureBox,
    CommonDialog,
    CheckBox,
    Frame,
    Label,
    TextBox,
    ComboBox,
    ListBox,
    OptionButton,
    TabControl,
};

// Twips, relative to the container's client area (for frames on a tab,
// relative to the tab control).
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

enum Flag : unsigned {
    MultiLine = 1u << 0,   // text box over several lines
    Centred = 1u << 1,     // text centred
    Editable = 1u << 2,    // combo box that takes typed text
    Underlined = 1u << 3,  // own font: underlined
    OneRow = 1u << 4,      // list box one row high
    CheckBoxes = 1u << 5,  // list box with a check box per entry
    Chosen = 1u << 6,      // option button selected at start
    Hidden = 1u << 7,      // not visible at run time
    InFront = 1u << 8,     // drawn in front of the controls created after it
};

struct Row {
    const char* name;
    Kind kind;
    const char* container = "";  // "" for the form itself
    int tab = -1;                // page of the tab control, for frames on it
    const char* caption = "";    // caption, or a combo box's initial text
    Rect rect{};
    int tabIndex = -1;  // -1: never takes the focus
    int maxLength = 0;  // 0: no limit
    bool enabled = true;
    unsigned flags = 0;
    int index = -1;            // option-array index; the tab control's tab at start
    const char* entries = "";  // design-time entries (tab captions), '|'-separated
};

// Every control, in creation order.
std::span<const Row> rows();

// The design-time entries of a row.
QStringList entries(const Row& row);

// The row named `name` (the first of an option array), or nullptr.
const Row* find(const char* name);

}  // namespace kdrsm::catalogue
