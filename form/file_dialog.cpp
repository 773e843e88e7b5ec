#include "form/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScopeGuard>

#include "jex/error.h"

namespace kdrsm {

namespace {

constexpr qint32 kCancelSelected = 32755;

// Qt's file dialog, refusing a name whose folder does not exist when asked
// to: the operator is told so with Qt's own message and the dialog stays open.
class PathCheckingDialog final : public QFileDialog {
public:
    PathCheckingDialog(QWidget* owner, bool pathMustExist)
        : QFileDialog(owner), pathMustExist_(pathMustExist) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (pathMustExist_ && !chosen.isEmpty()) {
            const QFileInfo file(chosen.first());
            if (!file.isDir() && !QFileInfo(file.absolutePath()).isDir()) {
                // Told once the dialog's own event loop runs again, as for
                // any other refusal while it stays open.
                const QString message = QFileDialog::tr(
                                            "%1\nDirectory not found.\nPlease verify the correct "
                                            "directory name was given.")
                                            .arg(QDir::toNativeSeparators(file.absolutePath()));
                QMetaObject::invokeMethod(
                    this, [this, message] { QMessageBox::warning(this, windowTitle(), message); },
                    Qt::QueuedConnection);
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    bool pathMustExist_;
};

}  // namespace

FileDialog::FileDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

void FileDialog::ShowSave() {
    show(true);
}
void FileDialog::ShowOpen() {
    show(false);
}

QStringList FileDialog::nameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        // "Server Settings File (*.ssf)" already names its patterns.
        result << (description.endsWith(suffix) ? description : description + u' ' + suffix);
    }
    return result;
}

void FileDialog::show(bool save) {
    PathCheckingDialog dialog(owner_, Flags & kPathMustExist);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (Flags & kFileMustExist) ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & kOverwritePrompt));
    if (!DialogTitle.isEmpty()) dialog.setWindowTitle(DialogTitle);
    const QStringList filters = nameFilters(Filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!InitDir.isEmpty() && QDir(InitDir).exists()) dialog.setDirectory(InitDir);
    if (!FileName.isEmpty()) dialog.selectFile(FileName);

    active_ = &dialog;
    const auto clearActive = qScopeGuard([this] { active_ = nullptr; });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const QStringList chosen = dialog.selectedFiles();
    if (accepted && !chosen.isEmpty()) {
        FileName = QDir::toNativeSeparators(QDir::cleanPath(chosen.first()));
        return;
    }
    FileName.clear();
    if (CancelError) jex::raise(kCancelSelected, QStringLiteral("Cancel was selected."));
}

}  // namespace kdrsm
