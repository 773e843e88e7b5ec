#pragma once
// Typed access to the form's controls with the form runtime's rules. Every
// routine that reads or sets a control goes through these, so the rules
// (-1 clears a list, 380 for a value the control does not accept, 438 for a
// control that lacks the property, reactions firing when code changes a
// value) hold everywhere.
//
// Control kinds: text box MaxLengthLineEdit (or the multi-line
// MaxLengthTextEdit), combo box QComboBox, check box QCheckBox (tristate),
// list box QListWidget (a CheckListBox, with a check box per entry, counts
// "selected" as checked), option button QRadioButton, label QLabel, frame QGroupBox,
// tab control QTabWidget, picture box PictureBox.

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace kdrsm::ctl {

// "TextBox", "ComboBox", "CheckBox", "ListBox", "OptionButton", "Label",
// "Frame", "SSTab", "PictureBox", "Image" (a label that scales its picture)
// or "CommonDialog"; "" for others.
QString typeName(const QObject* control);

// Text of a text box or combo box; for a list box the text of the entry at
// its list index ("" when none). A multi-line text box gives its line breaks
// as CR LF. Other controls raise 438.
QString text(const QWidget* control);
// Sets the text of a text box or editable combo box (which then also
// chooses the entry of exactly that text, if any; otherwise none). For a
// list-only combo box: the entry with that text ("" chooses none), else 380.
// A text box takes the whole text: its MaxLength limits only what the
// operator types or pastes.
void setText(QWidget* control, const QString& value);

// List index of a combo box or list box (-1 when none). For a list with
// check boxes it is the entry with the focus; for other lists the selected
// entry.
qint32 listIndex(const QWidget* control);
// -1 clears the choice; an index outside the list raises 380.
void setListIndex(QWidget* control, qint32 index);
qint32 listCount(const QWidget* control);
// Entry text; outside the list raises 380.
QString listText(const QWidget* control, qint32 index);
// Appends an entry; the current choice (also "none") stays.
void addItem(QWidget* control, const QString& entry);
// Appends entries in one go, as addItem does one by one.
void addItems(QWidget* control, const QStringList& entries);
void clearList(QWidget* control);

// Selection state of a list entry (checked, for lists with check boxes);
// outside the list raises 380.
bool selected(const QWidget* list, qint32 index);
void setSelected(QWidget* list, qint32 index, bool value);

// Check box value: 0 unchecked, 1 checked, 2 greyed. Other values raise 380.
qint32 checkValue(const QWidget* control);
void setCheckValue(QWidget* control, qint32 value);

// The screen's twips per pixel, from its logical DPI (15 at 96 dpi).
double twipsPerPixelX();
double twipsPerPixelY();

// Geometry in twips relative to the container's client area (for controls
// on a page of a tab control: relative to the tab control). Controls
// remember the twips they were given (dynamic properties "Left", "Top",
// "Width", "Height") and take the nearest pixels.
qint32 twipsLeft(const QWidget* control);
qint32 twipsTop(const QWidget* control);
qint32 twipsWidth(const QWidget* control);
qint32 twipsHeight(const QWidget* control);
void setTwipsGeometry(QWidget* control, qint32 left, qint32 top, qint32 width, qint32 height);

}  // namespace kdrsm::ctl
