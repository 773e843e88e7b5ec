#pragma once
// The conversions of the settings fields of section 0 (each one's forms are
// in its row of kSettings) and the order in which the update prepares them.

#include <QString>

#include <array>

#include "exchange/wire/setting_schema.h"

namespace kdrsm::wire {

// The order in which the update prepares fields and corrects the form.
extern const std::array<int, 19> kUpdatePreparationOrder;

// Reply conversions that need no component. Numbers raise 13 when the
// field is not a number and 6 when out of the 16-bit range.
qint16 numberFromReply(ReplyForm form, const QString& field);  // list and check forms
QString textFromReply(ReplyForm form, const QString& field);   // Text and GamePort

// What the update puts right, shared by the panel's form and the settings
// model. The list index a ListRange row leaves its list at: the index itself
// when inside low..high, otherwise the row's reset.
int listIndexInRange(const Setting& field, int index);
// The text a BlankText or NumericText row leaves in its control.
QString correctedText(const Setting& field, const QString& text);
// The field a TextOrDefault row sends for the control's text.
QString textOrDefault(const Setting& field, const QString& text);

}  // namespace kdrsm::wire
