#pragma once
// The host's log lines.
#include <QLoggingCategory>

namespace jexhost {
Q_DECLARE_LOGGING_CATEGORY(lcHost)
}
