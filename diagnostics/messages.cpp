#include "diagnostics/messages.h"

#include <QMessageBox>

#include "diagnostics/message_box_service.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"
#include "plugin/version.h"

namespace kdrsm {

namespace {

// "ReportErrors" of the host's configuration is on only when it reads as the
// number 1; a missing or non-numeric value counts as off.
bool errorReportsEnabled() {
    const QString path = mdl().HostRoot + QStringLiteral("/settings/config.ini");
    const QString value =
        jex::call(mdl().objMFD, "GetIniKey",
                  {QStringLiteral("Settings"), QStringLiteral("ReportErrors"), path})
            .toString();
    const auto number = jex::parseNumber(value);
    return number && *number == 1.0;
}

QString reportLine(const jex::ErrObject& error, qint32 line, const QString& procedure) {
    if (!errorReportsEnabled()) return QStringLiteral("Error Report Sent: No");
    const QVariant record(errorReportRecord(error, line, procedure));
    const QVariant sent = jex::call(mdl().objMFD, "SendErrorReport", QVariantList{record});
    return sent.toBool() ? QStringLiteral("Error Report Sent: Yes")
                         : QStringLiteral("Error Report Sent: Failed!");
}

}  // namespace

void showMessageBox(const QString& title, const QString& text) {
    if (const MessageBoxService& service = messageBoxService()) {
        service(title, text);
        return;
    }
    // Over the host window that shows the panel, when it is shown.
    QWidget* owner = mdl().form && mdl().form->isVisible() ? mdl().form->window() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void showNoDataRefusal(const QString& consequence) {
    ShowMessage(msg::Failure,
                QStringLiteral("There seems to have been a problem collecting data!") + kCrLf +
                    kCrLf + consequence);
}

QString messageTitle(quint8 kind) {
    switch (kind) {
        case msg::Error:
            return QStringLiteral("Error!");
        case msg::Success:
            return QStringLiteral("Success");
        case msg::Failure:
            return QStringLiteral("Failed!");
        case msg::ActionRequired:
            return QStringLiteral("Action Required!");
        case msg::ErrorReport:
            return QStringLiteral("DLL Error!");
        default:
            return {};
    }
}

QString libraryVersionText() {
    return kLibraryFile + u' ' + versionText();
}

QString errorText(const jex::ErrObject& error, qint32 line, const QString& procedure) {
    return QStringLiteral("Error Line: %1").arg(line) + kCrLf +
           QStringLiteral("Error %1: ").arg(error.number) + error.description + kCrLf +
           QStringLiteral("DLL: ") + kLibraryFile + kCrLf + QStringLiteral("Function/Sub: ") +
           procedure;
}

QVariantList errorReportRecord(const jex::ErrObject& error, qint32 line, const QString& procedure) {
    return {QVariant::fromValue<qint32>(error.number),
            error.description,
            libraryVersionText(),
            procedure,
            QStringLiteral("False"),
            QVariant::fromValue<qint32>(line)};
}

void ShowMessage(quint8 kind, const QString& message, const jex::ErrObject* error, qint32 line) {
    if (kind <= msg::ActionRequired) {
        showMessageBox(messageTitle(kind), message);
    } else if (kind == msg::ErrorReport) {
        const jex::ErrObject shown = error ? *error : jex::ErrObject{};
        const QString text =
            errorText(shown, line, message) + kCrLf + kCrLf + reportLine(shown, line, message);
        showMessageBox(messageTitle(kind), text);
    }
}

}  // namespace kdrsm
