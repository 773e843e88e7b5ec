#pragma once
// The common file dialog cdSettings: properties set before use, then shown
// as Qt's own modal file dialog (exec(), so it can be driven from outside).

#include <QObject>
#include <QString>

class QFileDialog;

namespace kdrsm {

class FileDialog final : public QObject {
    Q_OBJECT
public:
    explicit FileDialog(QWidget* owner);

    QString FileName;
    QString InitDir;
    bool CancelError = false;
    QString Filter;       // "description|pattern[|description|pattern...]"
    qint32 Flags = 0;
    QString DialogTitle;

    // Show the dialog; FileName becomes the chosen name ("" when cancelled,
    // or error 32755 "Cancel was selected." when CancelError is true).
    void ShowSave();
    void ShowOpen();

    // The dialog while it is shown (null otherwise).
    QFileDialog* activeDialog() const { return active_; }

private:
    void show(bool save);
    QWidget* owner_;
    QFileDialog* active_ = nullptr;
};

}  // namespace kdrsm
