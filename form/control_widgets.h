#pragma once
// Widgets for the form's control kinds where a plain Qt widget does not
// behave like the control: a multi-line text box with a length limit, a
// check box that code can grey, a list box one row high that steps through
// its entries, a list box with check boxes, a tab control that tells where its pages start, and a
// combo box whose drop-down list is made when it first drops down.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTabWidget>

namespace kdrsm {

// Single-line text box whose limit holds for what the operator types or
// pastes; text put in by code is kept whole, even when longer (a longer
// text then takes no more characters until it is shorter than the limit).
class MaxLengthLineEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit MaxLengthLineEdit(QWidget* parent = nullptr);

    int limit() const { return limit_; }
    void setLimit(int length);
    // Puts text in by code.
    void setCodeText(const QString& text);

private:
    void tighten();
    int limit_ = 0;
};

// Multi-line text box: word-wrapped, no scroll bars, Tab moves the focus,
// and, like the single-line box, a limit for typed or pasted text only.
// 0 means no limit.
//
// A server or a file may hand it megabytes on one line. Qt lays out a
// paragraph of the document as a whole, so the text is kept in paragraphs
// of at most kParagraphLength characters: a long line continues in the next
// paragraph without a line break ("soft" paragraphs), and, unless the text
// holds a line separator of its own, its line breaks are line separators
// inside the paragraphs. Reading the text back undoes both, so the operator
// sees, and every reader gets, the whole text unchanged.
class MaxLengthTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kParagraphLength = 2048;

    explicit MaxLengthTextEdit(QWidget* parent = nullptr);

    int limit() const { return limit_; }
    void setLimit(int length);
    // Puts text in by code. Line breaks may be LF, CR LF or CR.
    void setCodeText(const QString& text);
    // The whole text, line breaks as LF.
    QString codeText() const;
    // The whole text with its line breaks as they were put in by code; one
    // the operator types with Enter is CR LF.
    QString text() const;

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    QString textBetween(int from, int to) const;
    int textLength() const;
    void noteChange(int position, int removed, int added);
    void enforceLimit();

    int limit_ = 0;
    int lastInsertEnd_ = 0;
    int lastInserted_ = 0;
    bool settingByCode_ = false;
    bool separatorIsBreak_ = true;
    QString received_;       // the text as put in by code
    QString receivedLines_;  // the same with its line breaks as LF  // a line separator in a
                             // paragraph is a line break
};

// Shows at most kShownCharacters of an entry; a list box is far narrower,
// and laying out a name of megabytes would stall the window.
class ShortEntryDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kShownCharacters = 1024;
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Check box with the values unchecked, checked and greyed. Greyed is set by
// code only; a click checks an unchecked or greyed box and clears a checked
// one.
class TriStateCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    explicit TriStateCheckBox(QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};

// List box exactly one row high whose scroll bar steps one entry at a time.
// Choosing an entry brings it to the top, so the chosen entry is the one in
// view.
class OneRowListBox final : public QListWidget {
    Q_OBJECT
public:
    explicit OneRowListBox(QWidget* parent = nullptr);

    // Makes the box as high as one row in its current font.
    void fitOneRow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void bringCurrentToTop();
};

// Combo box whose drop-down list (a list view in a window of its own) is made
// when it first drops down, in the panel's style: most boxes of a panel are
// never opened, and Qt would make the list each time the box's style is set.
class LatePopupComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit LatePopupComboBox(QWidget* parent = nullptr);
    void showPopup() override;

protected:
    void changeEvent(QEvent* event) override;
};

// List box with a check box per entry: an entry counts as selected when it
// is checked.
class CheckListBox final : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
};

// Tab control whose page origin is known before it is first laid out, so
// controls placed relative to the tab control land in the right spot.
class TabControl final : public QTabWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    // Top-left corner of the page area inside the tab control, in pixels.
    QPoint pageOrigin() const;
};

}  // namespace kdrsm
