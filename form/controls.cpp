#include "form/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>

#include <cmath>

#include "form/control_widgets.h"
#include "form/file_dialog.h"
#include "jex/error.h"
#include "presentation/picture_box.h"

namespace kdrsm::ctl {

namespace {

const char* const kLeft = "Left";
const char* const kTop = "Top";
const char* const kWidth = "Width";
const char* const kHeight = "Height";
constexpr double kDefaultTwipsPerPixel = 15.0;

[[noreturn]] void notSupported() {
    jex::raise(jex::err::NoSuchMethod);
}
[[noreturn]] void badValue() {
    jex::raise(jex::err::InvalidPropertyValue);
}

bool hasCheckBoxes(const QListWidget* list) {
    return qobject_cast<const CheckListBox*>(list) != nullptr;
}

QListWidgetItem& entry(const QListWidget* list, qint32 index) {
    if (index < 0 || index >= list->count()) badValue();
    return *list->item(index);
}

void checkListIndex(qint32 index, qint32 count) {
    if (index < -1 || index >= count) badValue();
}

// Combo box that takes only its entries.
bool listOnly(const QComboBox* combo) {
    return !combo->isEditable();
}

double twipsPerPixel(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return kDefaultTwipsPerPixel;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : kDefaultTwipsPerPixel;
}

int pixels(qint32 twips, double perPixel) {
    return static_cast<int>(std::lround(twips / perPixel));
}

// Where the container's client area starts inside the widget that holds the
// control: controls on a page of a tab control count from the tab control.
QPoint containerOrigin(const QWidget* parent) {
    if (!parent) return {};
    const auto* stack = qobject_cast<const QStackedWidget*>(parent->parentWidget());
    const auto* tabs = stack ? qobject_cast<const TabControl*>(stack->parentWidget()) : nullptr;
    return tabs ? tabs->pageOrigin() : QPoint();
}

qint32 storedTwips(const QWidget* control, const char* property, int pixelValue, bool horizontal) {
    const QVariant value = control->property(property);
    if (value.isValid()) return value.toInt();
    return static_cast<qint32>(std::lround(pixelValue * twipsPerPixel(horizontal)));
}

}  // namespace

QString typeName(const QObject* control) {
    if (!control) return {};
    if (qobject_cast<const QLineEdit*>(control) || qobject_cast<const MaxLengthTextEdit*>(control))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QComboBox*>(control)) return QStringLiteral("ComboBox");
    if (qobject_cast<const QCheckBox*>(control)) return QStringLiteral("CheckBox");
    if (qobject_cast<const QListWidget*>(control)) return QStringLiteral("ListBox");
    if (qobject_cast<const QRadioButton*>(control)) return QStringLiteral("OptionButton");
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->hasScaledContents() ? QStringLiteral("Image") : QStringLiteral("Label");
    if (qobject_cast<const QGroupBox*>(control)) return QStringLiteral("Frame");
    if (qobject_cast<const QTabWidget*>(control)) return QStringLiteral("SSTab");
    if (qobject_cast<const PictureBox*>(control)) return QStringLiteral("PictureBox");
    if (qobject_cast<const FileDialog*>(control)) return QStringLiteral("CommonDialog");
    return {};
}

QString text(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    if (const auto* edit = qobject_cast<const MaxLengthTextEdit*>(control)) return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
    if (const auto* list = qobject_cast<const QListWidget*>(control)) {
        const qint32 index = listIndex(list);
        return index < 0 ? QString() : list->item(index)->text();
    }
    notSupported();
}

void setText(QWidget* control, const QString& value) {
    if (auto* edit = qobject_cast<MaxLengthLineEdit*>(control)) {
        edit->setCodeText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* edit = qobject_cast<MaxLengthTextEdit*>(control)) {
        edit->setCodeText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const int found = combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (listOnly(combo)) {
            if (found < 0 && !value.isEmpty()) badValue();
            combo->setCurrentIndex(found);
        } else {
            // A typed value chooses the entry it matches exactly, if any.
            combo->setCurrentIndex(found);
            combo->setEditText(value);
        }
    } else {
        notSupported();
    }
}

qint32 listIndex(const QWidget* control) {
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentIndex();
    if (const auto* list = qobject_cast<const QListWidget*>(control)) {
        if (hasCheckBoxes(list)) return list->currentRow();
        const QList<QListWidgetItem*> chosen = list->selectedItems();
        return chosen.isEmpty() ? -1 : list->row(chosen.first());
    }
    notSupported();
}

void setListIndex(QWidget* control, qint32 index) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        checkListIndex(index, combo->count());
        combo->setCurrentIndex(index);
        if (index < 0 && combo->isEditable()) combo->setEditText(QString());
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        checkListIndex(index, list->count());
        if (index < 0) {
            if (!hasCheckBoxes(list)) list->clearSelection();
            list->setCurrentRow(-1);
        } else {
            list->setCurrentRow(index);
        }
    } else {
        notSupported();
    }
}

qint32 listCount(const QWidget* control) {
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) return combo->count();
    if (const auto* list = qobject_cast<const QListWidget*>(control)) return list->count();
    notSupported();
}

QString listText(const QWidget* control, qint32 index) {
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        if (index < 0 || index >= combo->count()) badValue();
        return combo->itemText(index);
    }
    if (const auto* list = qobject_cast<const QListWidget*>(control))
        return entry(list, index).text();
    notSupported();
}

void addItem(QWidget* control, const QString& value) {
    addItems(control, {value});
}

void addItems(QWidget* control, const QStringList& values) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // Adding keeps the current choice, also "none" (Qt would choose the
        // first entry of an empty list) and a typed text.
        const int index = combo->currentIndex();
        const QString typed = combo->currentText();
        combo->addItems(values);
        if (combo->currentIndex() != index) {
            combo->setCurrentIndex(index);
            if (combo->isEditable()) combo->setEditText(typed);
        }
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        const bool checkBoxes = hasCheckBoxes(list);
        for (const QString& value : values) {
            auto* item = new QListWidgetItem(value);
            if (checkBoxes) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            }
            list->addItem(item);
        }
    } else {
        notSupported();
    }
}

void clearList(QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->clear();
        if (combo->isEditable()) combo->setEditText(QString());
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        list->clear();
    } else {
        notSupported();
    }
}

bool selected(const QWidget* control, qint32 index) {
    const auto* list = qobject_cast<const QListWidget*>(control);
    if (!list) notSupported();
    const QListWidgetItem& item = entry(list, index);
    return hasCheckBoxes(list) ? item.checkState() == Qt::Checked : item.isSelected();
}

void setSelected(QWidget* control, qint32 index, bool value) {
    auto* list = qobject_cast<QListWidget*>(control);
    if (!list) notSupported();
    QListWidgetItem& item = entry(list, index);
    if (hasCheckBoxes(list))
        item.setCheckState(value ? Qt::Checked : Qt::Unchecked);
    else if (value)
        list->setCurrentRow(index);
    else
        item.setSelected(false);
}

qint32 checkValue(const QWidget* control) {
    const auto* box = qobject_cast<const QCheckBox*>(control);
    if (!box) notSupported();
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void setCheckValue(QWidget* control, qint32 value) {
    auto* box = qobject_cast<QCheckBox*>(control);
    if (!box) notSupported();
    switch (value) {
        case 0:
            box->setCheckState(Qt::Unchecked);
            break;
        case 1:
            box->setCheckState(Qt::Checked);
            break;
        case 2:
            box->setCheckState(Qt::PartiallyChecked);
            break;
        default:
            badValue();
    }
}

double twipsPerPixelX() {
    return twipsPerPixel(true);
}
double twipsPerPixelY() {
    return twipsPerPixel(false);
}

qint32 twipsLeft(const QWidget* control) {
    return storedTwips(control, kLeft, control->x() + containerOrigin(control->parentWidget()).x(),
                       true);
}
qint32 twipsTop(const QWidget* control) {
    return storedTwips(control, kTop, control->y() + containerOrigin(control->parentWidget()).y(),
                       false);
}
qint32 twipsWidth(const QWidget* control) {
    return storedTwips(control, kWidth, control->width(), true);
}
qint32 twipsHeight(const QWidget* control) {
    return storedTwips(control, kHeight, control->height(), false);
}

void setTwipsGeometry(QWidget* control, qint32 left, qint32 top, qint32 width, qint32 height) {
    control->setProperty(kLeft, left);
    control->setProperty(kTop, top);
    control->setProperty(kWidth, width);
    control->setProperty(kHeight, height);
    const double perX = twipsPerPixelX();
    const double perY = twipsPerPixelY();
    const QPoint origin = containerOrigin(control->parentWidget());
    control->setGeometry(pixels(left, perX) - origin.x(), pixels(top, perY) - origin.y(),
                         qMax(0, pixels(width, perX)), qMax(0, pixels(height, perY)));
}

}  // namespace kdrsm::ctl
