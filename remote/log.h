#pragma once
// The remote side's log lines.
#include <QLoggingCategory>

namespace jexremote {
Q_DECLARE_LOGGING_CATEGORY(lcRemote)
}
