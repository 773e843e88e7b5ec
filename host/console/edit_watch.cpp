#include "host/console/edit_watch.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace jexhost {

namespace {

// What a setting control holds now, as one text.
QString valueOf(const QWidget* control) {
    if (auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
    if (auto* text = qobject_cast<const QTextEdit*>(control)) return text->toPlainText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control)) return plain->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return QString::number(combo->currentIndex()) + u' ' + combo->currentText();
    if (auto* box = qobject_cast<const QCheckBox*>(control))
        return QString::number(box->checkState());
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto* list = qobject_cast<const QListWidget*>(control)) {
        QString value = QString::number(list->currentRow()) + u';';
        for (int row = 0; row < list->count(); ++row)
            value += QString::number(list->item(row)->checkState());
        return value;
    }
    return {};
}

// The reverse of valueOf: the control takes the value as the operator would
// have set it.
void setValueOf(QWidget* control, const QString& value) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->setText(value);
    if (auto* text = qobject_cast<QTextEdit*>(control)) return text->setPlainText(value);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->setPlainText(value);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->setCurrentIndex(value.section(u' ', 0, 0).toInt());
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->setCheckState(Qt::CheckState(value.toInt()));
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->setChecked(value == u"1");
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        const QString states = value.section(u';', 1);
        for (int row = 0; row < list->count() && row < states.size(); ++row)
            list->item(row)->setCheckState(Qt::CheckState(states[row].digitValue()));
        list->setCurrentRow(value.section(u';', 0, 0).toInt());
    }
}

// The setting controls: those named "sav...", and the restriction lists and
// the auto-load box, named by their setting's key after a three-letter prefix.
bool isSetting(const QString& name) {
    return name.startsWith(QStringLiteral("sav")) || name == QStringLiteral("lstRoles") ||
           name == QStringLiteral("lstWeapons") || name == QStringLiteral("chkAutoLoad");
}

}  // namespace

void EditWatch::filled(QWidget* area) {
    stop();
    const auto changed = [this] { edited_ = true; };
    for (QWidget* control : area->findChildren<QWidget*>()) {
        if (!isSetting(control->objectName())) continue;
        watched_.append({control, valueOf(control)});
        if (auto* line = qobject_cast<QLineEdit*>(control))
            connections_ << connect(line, &QLineEdit::textChanged, this, changed);
        else if (auto* text = qobject_cast<QTextEdit*>(control))
            connections_ << connect(text, &QTextEdit::textChanged, this, changed);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
            connections_ << connect(plain, &QPlainTextEdit::textChanged, this, changed);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            connections_ << connect(combo, &QComboBox::currentTextChanged, this, changed);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            connections_ << connect(button, &QAbstractButton::toggled, this, changed);
        else if (auto* list = qobject_cast<QListWidget*>(control))
            connections_ << connect(list, &QListWidget::currentRowChanged, this, changed)
                         << connect(list, &QListWidget::itemChanged, this, changed);
    }
}

void EditWatch::settled() {
    edited_ = false;
    for (Watched& watched : watched_)
        if (watched.control) watched.filledValue = valueOf(watched.control);
}

QStringList EditWatch::changedKeys() const {
    QStringList keys;
    for (const Watched& watched : watched_)
        if (watched.control && valueOf(watched.control) != watched.filledValue)
            keys << watched.control->objectName().mid(3);
    return keys;
}

EditWatch::Held EditWatch::held() const {
    Held held;
    for (const Watched& watched : watched_)
        if (watched.control && valueOf(watched.control) != watched.filledValue)
            held.append({watched.control->objectName(), valueOf(watched.control)});
    return held;
}

void EditWatch::putBack(QWidget* area, const Held& held) {
    for (const auto& [name, value] : held)
        if (auto* control = area->findChild<QWidget*>(name)) setValueOf(control, value);
}

void EditWatch::stop() {
    for (const auto& connection : connections_) disconnect(connection);
    connections_.clear();
    watched_.clear();
    edited_ = false;
}

}  // namespace jexhost
