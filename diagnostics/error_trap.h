#pragma once
// The error path shared by every trapping procedure. A procedure runs as a
// sequence of steps, each with a stable line marker. An error numbered 0
// ends the procedure quietly. An error raised in a step whose number is the
// procedure's ignored number skips that step alone;
// any other error is logged through objMFD.LogError, shown as an error
// report (ShowMessage kind 4) and ends the procedure: later steps do nothing.

#include <QString>

#include <functional>
#include <optional>

#include "jex/error.h"

namespace kdrsm {

class ErrorTrap {
public:
    ErrorTrap(QString procedure, std::optional<qint32> ignoredNumber = std::nullopt);

    // Runs `body` as the step at `line` unless the procedure has ended.
    // Returns true while the procedure goes on.
    bool step(qint32 line, const std::function<void()>& body);

    bool ended() const { return ended_; }
    const QString& procedure() const { return procedure_; }

private:
    void report(const jex::ErrObject& error, qint32 line);

    QString procedure_;
    std::optional<qint32> ignored_;
    bool ended_ = false;
};

// Logs `error` through objMFD.LogError, then shows it with ShowMessage kind 4.
// When objMFD is missing or LogError itself fails, the box is still shown;
// when showing fails too, the failure is written to standard error. Never
// raises.
void reportError(const QString& procedure, const jex::ErrObject& error, qint32 line);

}  // namespace kdrsm
