#pragma once
// The common file dialog cdSettings: properties set before use, then shown
// as Qt's own modal file dialog (exec(), so it can be driven from outside).

#include <QObject>
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace kdrsm {

class FileDialog final : public QObject {
    Q_OBJECT
public:
    // Flags of the classic file dialog that change its behaviour here; the
    // others (hide read-only, multi-select, long names, explorer style) are
    // accepted and have no effect. With kPathMustExist a name in a folder
    // that does not exist is refused by the dialog, which stays open.
    static constexpr qint32 kOverwritePrompt = 0x2;
    static constexpr qint32 kPathMustExist = 0x800;
    static constexpr qint32 kFileMustExist = 0x1000;

    explicit FileDialog(QWidget* owner);

    QString FileName;  // in: name offered; out: the chosen file's full path
    QString InitDir;
    bool CancelError = false;
    QString Filter;  // "description|pattern[|description|pattern...]"
    qint32 Flags = 0;
    QString DialogTitle;

    // Show the dialog; FileName becomes the chosen name ("" when cancelled,
    // or error 32755 "Cancel was selected." when CancelError is true). No
    // extension is added and, unless Flags asks for it, an existing file is
    // taken without a question; the file need not exist.
    void ShowSave();
    void ShowOpen();

    // The dialog while it is shown (null otherwise).
    QFileDialog* activeDialog() const { return active_; }

    // Qt name filters for a "description|pattern" filter text.
    static QStringList nameFilters(const QString& filter);

private:
    void show(bool save);
    QWidget* owner_;
    QFileDialog* active_ = nullptr;
};

}  // namespace kdrsm
