#pragma once
// Drives the real modal boxes and file dialogs from a test: while a
// ModalDriver lives, a timer watches for the active modal widget, records
// every message box (title and text) and closes it with OK, and hands every
// file dialog to the test's handler (which accepts or rejects it).

#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QString>

#include <QTimer>
#include "support/printers.h"

#include <functional>

namespace jextest {

struct ShownBox {
    QString title;
    QString text;
    bool hasIcon = false;
    int buttonCount = 0;
};

class ModalDriver : public QObject {
    Q_OBJECT
public:
    ModalDriver();

    const QList<ShownBox>& boxes() const { return boxes_; }
    QStringList texts() const;

    // Called for every file dialog that opens; when unset, dialogs are cancelled.
    std::function<void(QFileDialog*)> onFileDialog;

    // Convenience handlers.
    static std::function<void(QFileDialog*)> choose(const QString& path);
    static std::function<void(QFileDialog*)> cancel();

private:
    void poll();
    QTimer timer_;
    QList<ShownBox> boxes_;
};

}  // namespace jextest
