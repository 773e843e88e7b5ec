#include "form/control_widgets.h"

#include <QScrollBar>
#include <QStyleOptionTabWidgetFrame>
#include <QTextBlock>
#include <QTextCursor>

namespace kdrsm {

MaxLengthLineEdit::MaxLengthLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, &MaxLengthLineEdit::tighten);
}

void MaxLengthLineEdit::setLimit(int length) {
    limit_ = qMax(0, length);
    tighten();
}

// Qt's own limit stops typing and cuts pastes; it is widened to a longer text
// put in by code and narrowed again as the operator shortens it.
void MaxLengthLineEdit::tighten() {
    setMaxLength(limit_ > 0 ? qMax(limit_, int(text().size())) : 32767);
}

void MaxLengthLineEdit::setCodeText(const QString& text) {
    if (limit_ > 0) setMaxLength(qMax(limit_, int(text.size())));
    setText(text);
}

MaxLengthTextEdit::MaxLengthTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &MaxLengthTextEdit::noteChange);
    connect(this, &QPlainTextEdit::textChanged, this, &MaxLengthTextEdit::enforceLimit);
}

void MaxLengthTextEdit::setLimit(int length) {
    limit_ = qMax(0, length);
}

void MaxLengthTextEdit::setCodeText(const QString& text) {
    settingByCode_ = true;
    setPlainText(text);
    settingByCode_ = false;
}

void MaxLengthTextEdit::noteChange(int position, int /*removed*/, int added) {
    lastInsertEnd_ = position + added;
    lastInserted_ = added;
}

// Drops what does not fit from the end of the text that just arrived, so
// earlier text stays; nothing already there is removed.
void MaxLengthTextEdit::enforceLimit() {
    if (settingByCode_ || limit_ <= 0) return;
    const int length = document()->characterCount() - 1;  // without the final separator
    const int drop = qMin(length - limit_, lastInserted_);
    if (drop <= 0) return;
    settingByCode_ = true;  // the cut itself is no entry
    QTextCursor cursor(document());
    cursor.setPosition(lastInsertEnd_ - drop);
    cursor.setPosition(lastInsertEnd_, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    settingByCode_ = false;
}

TriStateCheckBox::TriStateCheckBox(QWidget* parent) : QCheckBox(parent) {
    setTristate(true);
}

void TriStateCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

OneRowListBox::OneRowListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, &OneRowListBox::bringCurrentToTop);
}

void OneRowListBox::fitOneRow() {
    // Measure a row with a probe entry; the list may still be empty.
    auto* probe = new QListWidgetItem(QStringLiteral("0"));
    const QSignalBlocker blocker(this);
    insertItem(0, probe);
    const int row = qMax(sizeHintForRow(0), fontMetrics().height());
    delete takeItem(0);
    setFixedHeight(row + 2 * frameWidth());
}

void OneRowListBox::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    bringCurrentToTop();
}

void OneRowListBox::bringCurrentToTop() {
    if (QListWidgetItem* item = currentItem()) scrollToItem(item, QAbstractItemView::PositionAtTop);
}

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {}

QPoint TabControl::pageOrigin() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    return {qMax(0, contents.left()), qMax(0, contents.top())};
}

}  // namespace kdrsm
