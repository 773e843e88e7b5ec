#include "form/control_widgets.h"

#include <QMimeData>
#include <QScrollBar>
#include <QStyleOptionTabWidgetFrame>
#include <QTextBlock>
#include <QTextCursor>

#include "form/kept_breaks.h"
#include "form/panel_style.h"

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

namespace {

// Paragraph user state of a paragraph that continues the line before it.
constexpr int kSoftParagraph = 1;

// Length of the line break that starts at `i`, 0 when none: CR LF, a lone
// CR or LF, and the paragraph separator are each one break; so are the frame
// markers of Qt's text document, which it cannot hold as characters.
qsizetype breakLength(const QString& text, qsizetype i) {
    switch (text.at(i).unicode()) {
        case u'\r':
            return i + 1 < text.size() && text.at(i + 1) == u'\n' ? 2 : 1;
        case u'\n':
        case QChar::ParagraphSeparator:
        case 0xFDD0:
        case 0xFDD1:
            return 1;
        default:
            return 0;
    }
}

// The text with each line break as one LF.
QString withLineFeeds(const QString& text) {
    QString lines;
    lines.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = breakLength(text, i);
        lines += length ? QChar(u'\n') : text.at(i);
        i += length ? length : 1;
    }
    return lines;
}

}  // namespace

void MaxLengthTextEdit::setCodeText(const QString& text) {
    received_ = text;
    receivedLines_ = withLineFeeds(text);
    const QString& lines = receivedLines_;
    separatorIsBreak_ = !lines.contains(QChar::LineSeparator);
    QString paragraphs;
    paragraphs.reserve(lines.size() + lines.size() / kParagraphLength + 1);
    QList<bool> soft;  // per paragraph after the first
    int run = 0;
    for (const QChar c : lines) {
        if (c == u'\n' && !separatorIsBreak_) {
            paragraphs += u'\n';
            soft << false;
            run = 0;
            continue;
        }
        if (run >= kParagraphLength && !c.isLowSurrogate()) {
            paragraphs += u'\n';
            soft << true;
            run = 0;
        }
        paragraphs += c == u'\n' ? QChar(QChar::LineSeparator) : c;
        ++run;
    }
    settingByCode_ = true;
    setPlainText(paragraphs);
    settingByCode_ = false;
    QTextBlock block = document()->firstBlock().next();
    for (const bool isSoft : soft) {
        if (!block.isValid()) break;
        block.setUserState(isSoft ? kSoftParagraph : -1);
        block = block.next();
    }
}

QString MaxLengthTextEdit::codeText() const {
    return textBetween(0, document()->characterCount() - 1);
}

QString MaxLengthTextEdit::text() const {
    return withReceivedBreaks(received_, receivedLines_, codeText());
}

// The text from document position `from` to `to`, soft paragraph breaks
// left out and line breaks as LF; a break just before `to` is part of it.
QString MaxLengthTextEdit::textBetween(int from, int to) const {
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        if (start > from && block.userState() != kSoftParagraph) text += u'\n';
        const int first = qMax(from, start) - start;
        const int last = qMin(to, start + block.length() - 1) - start;
        if (last > first) text += block.text().mid(first, last - first);
    }
    if (separatorIsBreak_) text.replace(QChar::LineSeparator, u'\n');
    return text;
}

int MaxLengthTextEdit::textLength() const {
    int length = document()->characterCount() - 1;  // without the final separator
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        if (block.userState() == kSoftParagraph) --length;
    return length;
}

QMimeData* MaxLengthTextEdit::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void MaxLengthTextEdit::noteChange(int position, int /*removed*/, int added) {
    lastInsertEnd_ = position + added;
    lastInserted_ = added;
}

// Drops what does not fit from the end of the text that just arrived, so
// earlier text stays; nothing already there is removed.
void MaxLengthTextEdit::enforceLimit() {
    if (settingByCode_ || limit_ <= 0) return;
    const int drop = qMin(textLength() - limit_, lastInserted_);
    if (drop <= 0) return;
    settingByCode_ = true;  // the cut itself is no entry
    QTextCursor cursor(document());
    cursor.setPosition(lastInsertEnd_ - drop);
    cursor.setPosition(lastInsertEnd_, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    settingByCode_ = false;
}

void ShortEntryDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.size() <= kShownCharacters) return;
    const bool pairCut = option->text.at(kShownCharacters).isLowSurrogate();
    option->text.truncate(kShownCharacters - (pairCut ? 1 : 0));
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

LatePopupComboBox::LatePopupComboBox(QWidget* parent) : QComboBox(parent) {}

void LatePopupComboBox::showPopup() {
    QWidget* popup = view()->window();  // made here the first time
    if (popup->style() != style()) usePanelStyle(*popup);
    QComboBox::showPopup();
}

// QComboBox answers a new style by making its list to choose the list's
// entry painter; without a list yet there is nothing to restyle: the list
// chooses its painter by the box's style when it is made.
void LatePopupComboBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange && !findChild<QAbstractItemView*>()) {
        QWidget::changeEvent(event);
        return;
    }
    QComboBox::changeEvent(event);
}

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {}

QPoint TabControl::pageOrigin() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    return {qMax(0, contents.left()), qMax(0, contents.top())};
}

}  // namespace kdrsm
