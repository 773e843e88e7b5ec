#include "host/log.h"

namespace jexhost {
Q_LOGGING_CATEGORY(lcHost, "jex.host")

void installLogFormat() {
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-ddTHH:mm:ss.zzz} %{category} %{type}: %{message}"));
}
}  // namespace jexhost
