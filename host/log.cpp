#include "host/log.h"

namespace jexhost {
Q_LOGGING_CATEGORY(lcHost, "jex.host")
}
