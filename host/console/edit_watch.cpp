#include "host/console/edit_watch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace jexhost {

void EditWatch::filled(QWidget* area) {
    stop();
    const auto changed = [this] { edited_ = true; };
    for (QWidget* control : area->findChildren<QWidget*>()) {
        if (!control->objectName().startsWith(QStringLiteral("sav"))) continue;
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

void EditWatch::stop() {
    for (const auto& connection : connections_) disconnect(connection);
    connections_.clear();
    edited_ = false;
}

}  // namespace jexhost
