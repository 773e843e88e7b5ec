#pragma once
// The error log: one line per logged error, fields separated by tabs: local
// time (ISO 8601 with milliseconds and offset), module, procedure, error
// number, description, source line. Tabs and line breaks inside a field
// become blanks, so every line splits into the same six fields.

#include <QString>

#include "jex/error.h"

namespace zta {

// Appends the error's line to the module's log file, logs/<module's base
// name>_errors.log below the host's folder ("jexrcKDRSM.dll" logs to
// jexrcKDRSM_errors.log), creating folder and file when missing. Raises when
// the log cannot be written.
void appendErrorLine(const QString& module, const QString& procedure, const jex::ErrObject& error,
                     qint32 line);

}  // namespace zta
