#include "diagnostics/error_trap.h"

#include <QTextStream>

#include <exception>

#include "diagnostics/messages.h"
#include "jex/boundary.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

// Runs `body`, turning anything it throws into an error object. Returns
// the error, or nothing when the body completed.
std::optional<jex::ErrObject> attempt(const std::function<void()>& body) noexcept {
    try {
        body();
        return std::nullopt;
    } catch (...) {
        return jex::errorFromCurrentException();
    }
}

void writeToStandardError(const QString& procedure, const jex::ErrObject& error, qint32 line,
                          const jex::ErrObject& secondary) {
    QTextStream(stderr) << kLibraryFile << ": " << procedure << ": error " << error.number << " ("
                        << error.description << ") at line " << line
                        << " could not be reported: error " << secondary.number << " ("
                        << secondary.description << ")\n";
}

}  // namespace

void reportError(const QString& procedure, const jex::ErrObject& error, qint32 line) {
    // A missing objMFD (start-up could not create it) must not keep the error
    // from the operator: the log is skipped and the box still shown.
    if (mdl().objMFD) {
        attempt([&] {
            jex::call(mdl().objMFD, "LogError",
                      {kLibraryFile, procedure, QVariant::fromValue(error), line});
        });
    }
    if (const auto failed =
            attempt([&] { ShowMessage(msg::ErrorReport, procedure, &error, line); })) {
        // The report part needs objMFD; show the error text without it.
        attempt([&] {
            showMessageBox(messageTitle(msg::ErrorReport),
                           errorText(error, line, procedure) + kCrLf + kCrLf +
                               QStringLiteral("Error Report Sent: No"));
        });
        writeToStandardError(procedure, error, line, *failed);
    }
}

ErrorTrap::ErrorTrap(QString procedure, std::optional<qint32> ignoredNumber)
    : procedure_(std::move(procedure)), ignored_(ignoredNumber) {}

bool ErrorTrap::step(qint32 line, const std::function<void()>& body) {
    if (ended_) return false;
    const auto error = attempt(body);
    if (!error) return true;
    if (error->number == 0) {
        ended_ = true;  // an error numbered 0 ends the procedure without a report
        return false;
    }
    if (ignored_ && error->number == *ignored_) return true;
    report(*error, line);
    return false;
}

void ErrorTrap::report(const jex::ErrObject& error, qint32 line) {
    ended_ = true;
    reportError(procedure_, error, line);
}

}  // namespace kdrsm
