#include "remote/log.h"

namespace jexremote {
Q_LOGGING_CATEGORY(lcRemote, "jex.remote")
}
