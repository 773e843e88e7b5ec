#pragma once
// The form's look: panel colour, white entry fields, black text and the
// "Tahoma" 8.25 pt font that every control inherits.

#include <QColor>
#include <QFont>

class QWidget;

namespace kdrsm {

// The panel colour, 0x00D8E9EC in blue-green-red order.
inline constexpr QRgb kPanelColour = 0xFFECE9D8;

// "Tahoma" 8.25 pt, weight 400 (the default sans font when Tahoma is not
// installed). Registers the font shipped with the Windows compatibility
// fonts once, when it is present but unknown to the font system.
QFont formFont();

// Gives `form` the panel background, the panel colour also as the palette's
// button face, white entry fields, black text, and the form font.
void applyFormStyle(QWidget& form);

}  // namespace kdrsm
