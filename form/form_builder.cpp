// Builds the form's controls from the catalogue, in its order.

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <limits>
#include <vector>

#include "form/catalogue.h"
#include "form/control_widgets.h"
#include "form/controls.h"
#include "form/file_dialog.h"
#include "form/form_style.h"
#include "form/frmrcKDRSM.h"
#include "form/panel_style.h"
#include "presentation/picture_box.h"

namespace kdrsm {

namespace {

using catalogue::Kind;
using catalogue::Row;

QString nameOf(const Row& row) {
    return QString::fromLatin1(row.name);
}
QString captionOf(const Row& row) {
    return QString::fromLatin1(row.caption);
}

QWidget* textBox(const Row& row, QWidget* parent) {
    if (row.flags & catalogue::MultiLine) {
        auto* edit = new MaxLengthTextEdit(parent);
        edit->setLimit(row.maxLength);
        return edit;
    }
    auto* edit = new MaxLengthLineEdit(parent);
    edit->setLimit(row.maxLength);
    if (row.flags & catalogue::Centred) edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QWidget* comboBox(const Row& row, QWidget* parent) {
    auto* combo = new LatePopupComboBox(parent);
    const bool editable = row.flags & catalogue::Editable;
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Qt's completer would finish a typed code inline, ignoring case ("G"
    // becomes "GA"); what the operator types stays as typed.
    if (editable) {
        combo->setCompleter(nullptr);
        // Like a text box, it holds a code's text of any length.
        combo->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
        // Only choosing from the list chooses an entry: Qt would choose the
        // entry a typed text matches on Enter or when the focus leaves, and
        // typing over a chosen entry leaves none chosen.
        QObject::disconnect(combo->lineEdit(), &QLineEdit::returnPressed, combo, nullptr);
        QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                         [combo](const QString& typed) {
                             if (combo->currentIndex() < 0) return;
                             const int cursor = combo->lineEdit()->cursorPosition();
                             combo->setCurrentIndex(-1);
                             combo->setEditText(typed);
                             combo->lineEdit()->setCursorPosition(cursor);
                         });
    }
    return combo;
}

// A combo box's entries, none chosen, and an editable one's initial text.
void fillComboBox(const Row& row, QComboBox& combo) {
    combo.addItems(catalogue::entries(row));
    combo.setCurrentIndex(-1);  // no entry chosen
    if (combo.isEditable()) combo.setEditText(captionOf(row));
}

QWidget* listBox(const Row& row, QWidget* parent) {
    QListWidget* list = nullptr;
    if (row.flags & catalogue::OneRow)
        list = new OneRowListBox(parent);
    else if (row.flags & catalogue::CheckBoxes)
        list = new CheckListBox(parent);
    else
        list = new QListWidget(parent);
    // Every row is one line high; a list of many or very long names (a
    // server's weapons) is then laid out without measuring each entry.
    list->setUniformItemSizes(true);
    list->setItemDelegate(new ShortEntryDelegate(list));
    return list;
}

QWidget* label(const Row& row, QWidget* parent) {
    auto* label = new QLabel(captionOf(row), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (row.flags & catalogue::Underlined) {
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
    }
    return label;
}

// Its pages are added once it has the panel's style, each page styled too.
QWidget* tabControl(QWidget* parent) {
    auto* tabs = new TabControl(parent);
    tabs->setUsesScrollButtons(false);
    return tabs;
}

void addPages(const Row& row, QTabWidget& tabs) {
    for (const QString& caption : catalogue::entries(row)) {
        auto* page = new QWidget;
        usePanelStyle(*page);
        tabs.addTab(page, caption);
    }
}

QWidget* optionButton(const Row& row, QWidget* parent) {
    auto* option = new QRadioButton(captionOf(row), parent);
    option->setProperty("Index", row.index);
    option->setChecked(row.flags & catalogue::Chosen);
    return option;
}

QWidget* createWidget(const Row& row, QWidget* parent) {
    switch (row.kind) {
        case Kind::PictureBox: {
            auto* picture = new PictureBox(parent);
            picture->setBackColor(QColor(kPanelColour));
            return picture;
        }
        case Kind::CheckBox: {
            auto* box = new TriStateCheckBox(parent);
            box->setText(captionOf(row));
            return box;
        }
        case Kind::Frame:
            return new QGroupBox(captionOf(row), parent);
        case Kind::Label:
            return label(row, parent);
        case Kind::TextBox:
            return textBox(row, parent);
        case Kind::ComboBox:
            return comboBox(row, parent);
        case Kind::ListBox:
            return listBox(row, parent);
        case Kind::OptionButton:
            return optionButton(row, parent);
        case Kind::TabControl:
            return tabControl(parent);
        case Kind::CommonDialog:
            break;
    }
    return nullptr;
}

// What a control holds at start: its entries, its pages. Filled once the
// control has the panel's style: a new style lays out a list's entries again.
void fill(const Row& row, QWidget& widget) {
    if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
        fillComboBox(row, *combo);
    } else if (auto* list = qobject_cast<QListWidget*>(&widget)) {
        ctl::addItems(list, catalogue::entries(row));
    } else if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
        addPages(row, *tabs);
    }
}

// Controls that take the focus, in the order of the Tab key.
bool takesFocus(const Row& row) {
    switch (row.kind) {
        case Kind::CheckBox:
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::ListBox:
        case Kind::OptionButton:
        case Kind::TabControl:
            return row.tabIndex >= 0;
        default:
            return false;
    }
}

}  // namespace

void frmrcKDRSM::buildControls() {
    QHash<QString, QWidget*> containers;
    std::vector<std::pair<int, QWidget*>> focusOrder;
    QList<QWidget*> inFront;

    for (const Row& row : catalogue::rows()) {
        if (row.kind == Kind::CommonDialog) {
            cdSettings_ = new FileDialog(this);
            cdSettings_->setObjectName(nameOf(row));
            continue;
        }
        QWidget* parent = this;
        if (*row.container) {
            parent = containers.value(QString::fromLatin1(row.container), this);
            if (auto* tabs = qobject_cast<QTabWidget*>(parent); tabs && row.tab >= 0)
                parent = tabs->widget(row.tab);
        }
        QWidget* widget = createWidget(row, parent);
        usePanelStyle(*widget);  // before placing: the style decides where pages start
        fill(row, *widget);
        widget->setObjectName(nameOf(row));
        widget->setProperty("TabIndex", row.tabIndex);
        ctl::setTwipsGeometry(widget, row.rect.left, row.rect.top, row.rect.width, row.rect.height);
        widget->setEnabled(row.enabled);
        if (row.flags & catalogue::Hidden) widget->hide();
        if (auto* list = qobject_cast<OneRowListBox*>(widget)) list->fitOneRow();
        if (auto* tabs = qobject_cast<QTabWidget*>(widget)) tabs->setCurrentIndex(row.index);
        if (row.kind == Kind::Frame || row.kind == Kind::TabControl)
            containers.insert(nameOf(row), widget);
        if (takesFocus(row)) focusOrder.emplace_back(row.tabIndex, widget);
        if (row.flags & catalogue::InFront) inFront << widget;
        registerControl(widget);
    }

    for (QWidget* widget : inFront) widget->raise();
    std::stable_sort(focusOrder.begin(), focusOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // The chain is laid from the form itself, each control moved right after
    // the one before, so it starts at TabIndex 0 and ends at the last control.
    // Qt moves a widget together with the focus children it holds and skips
    // widgets without focus: the form takes focus while the chain is laid,
    // and the tab control is linked by its tab bar, which takes its focus,
    // not with the controls on its pages; the tab control itself then stays
    // out of the chain.
    const Qt::FocusPolicy policy = focusPolicy();
    setFocusPolicy(Qt::TabFocus);
    QWidget* previous = this;
    for (const auto& [tabIndex, widget] : focusOrder) {
        QWidget* link = widget;
        if (QWidget* proxy = widget->focusProxy()) {
            widget->setFocusPolicy(Qt::NoFocus);
            link = proxy;
        }
        QWidget::setTabOrder(previous, link);
        previous = link;
    }
    setFocusPolicy(policy);
}

}  // namespace kdrsm
