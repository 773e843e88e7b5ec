#pragma once
// Settings as the form shows them, for everything that shows settings
// outside the form (the console's traffic view, review and history, the
// remote side's log): "24" for Max Players, "2 Minutes", "NovaWorld",
// "Infinite", check boxes "on", "off" or "greyed" (auto balance the way its
// box shows it), the game port as the panel puts it; a password only ever as
// "(hidden)".

#include <QString>

namespace kdrsm::model {

inline const QString kHidden = QStringLiteral("(hidden)");

// A field's stored value as the form shows it. A value the form could not
// take is shown for what it is: "(none)", "(entry 60)", "(not a number)".
QString shownField(int field, const QString& stored);

// A check box value: "off", "on", "greyed", or "(value N)".
QString checkText(int value);

// A flag as the files and the merge write it: "1" or "0".
inline QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A restriction flag: "restricted" or "unrestricted".
QString restrictionText(bool restricted);

// A shown value fit for one line of a view: line breaks and other control
// characters as blanks, "(empty)" for nothing, cut to `limit` characters
// with "…".
QString oneLine(const QString& text, qsizetype limit = 200);

}  // namespace kdrsm::model
