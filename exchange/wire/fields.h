#pragma once
// The settings fields of section 0, in wire order: which control each field
// belongs to, how it converts in each direction, and what the update puts
// right in the form before reading it.

#include <QString>

#include <array>

namespace kdrsm::wire {

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
    ListRange,    // list index outside 0..high -> select `reset`
    EntryRange,   // selected entry's number outside low..high (or none) -> select entry `text`
};

struct WireField {
    int index;
    const char* control;
    ReplyForm reply;
    UpdateForm update;
    Correction correction = Correction::None;
    int low = 0;
    int high = 0;
    int reset = 0;
    const char* text = nullptr;  // replacement or default text
};

extern const std::array<WireField, 34> kWireFields;

// The order in which the update prepares fields and corrects the form.
extern const std::array<int, 19> kUpdatePreparationOrder;

// Reply conversions that need no component. Numbers raise 13 when the
// field is not a number and 6 when out of the 16-bit range.
qint16 numberFromReply(ReplyForm form, const QString& field);  // list and check forms
QString textFromReply(ReplyForm form, const QString& field);   // Text and GamePort

// What the update puts right, shared by the panel's form and the settings
// model. The list index a ListRange row leaves its list at: the index itself
// when inside low..high, otherwise the row's reset.
int listIndexInRange(const WireField& field, int index);
// The text a BlankText or NumericText row leaves in its control.
QString correctedText(const WireField& field, const QString& text);
// The field a TextOrDefault row sends for the control's text.
QString textOrDefault(const WireField& field, const QString& text);

}  // namespace kdrsm::wire
