#pragma once
// The host's log lines.
#include <QLoggingCategory>

namespace jexhost {
Q_DECLARE_LOGGING_CATEGORY(lcHost)

// One line per event, with the time it happened, its category and kind.
void installLogFormat();
}  // namespace jexhost
