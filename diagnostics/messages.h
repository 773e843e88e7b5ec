#pragma once
// The one routine that shows message boxes, and the texts it builds.

#include <QString>
#include <QVariantList>

#include "jex/error.h"

namespace kdrsm {

namespace msg {
inline constexpr quint8 Error = 0;
inline constexpr quint8 Success = 1;
inline constexpr quint8 Failure = 2;
inline constexpr quint8 ActionRequired = 3;
inline constexpr quint8 ErrorReport = 4;
}  // namespace msg

inline const QString kLibraryFile = QStringLiteral("jexrcKDRSM.dll");
inline const QString kCrLf = QStringLiteral("\r\n");

// Shows a modal box with one OK button and no icon. Kinds 0-3 show `message`
// under their title; kind 4 builds the error text from `error` and `line`
// (message is the procedure name), sends an error report when the host's
// configuration asks for it, and shows the result. Other kinds show nothing.
// Errors raised inside (configuration, component) reach the caller.
void ShowMessage(quint8 kind, const QString& message, const jex::ErrObject* error = nullptr,
                 qint32 line = 0);

// The failure notice of an action refused because the last reply carried
// no data: the common first part, two line breaks, then `consequence`.
void showNoDataRefusal(const QString& consequence);

// A modal box with one OK button and no icon, its text exactly `text`.
void showMessageBox(const QString& title, const QString& text);

// The box title of a kind ("" for kinds that show nothing).
QString messageTitle(quint8 kind);

// The four-line error text of an error report, without the report line.
QString errorText(const jex::ErrObject& error, qint32 line, const QString& procedure);

// The six-entry error-report record handed to SendErrorReport.
QVariantList errorReportRecord(const jex::ErrObject& error, qint32 line, const QString& procedure);

// "jexrcKDRSM.dll 1.1.8": library file and version text.
QString libraryVersionText();

}  // namespace kdrsm
