#include "support/modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

namespace jextest {

ModalDriver::ModalDriver() {
    connect(&timer_, &QTimer::timeout, this, &ModalDriver::poll);
    timer_.start(5);
}

QStringList ModalDriver::texts() const {
    QStringList list;
    for (const auto& box : boxes_) list << box.text;
    return list;
}

void ModalDriver::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes_.append({box->windowTitle(), box->text(), box->icon() != QMessageBox::NoIcon,
                       static_cast<int>(box->buttons().size())});
        box->done(QMessageBox::Ok);
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        if (onFileDialog)
            onFileDialog(dialog);
        else
            dialog->reject();
    }
}

std::function<void(QFileDialog*)> ModalDriver::choose(const QString& path) {
    return [path](QFileDialog* dialog) {
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
    };
}

std::function<void(QFileDialog*)> ModalDriver::cancel() {
    return [](QFileDialog* dialog) { dialog->reject(); };
}

}  // namespace jextest
