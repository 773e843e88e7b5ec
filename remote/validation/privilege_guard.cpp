#include "remote/validation/privilege_guard.h"

#include "exchange/wire/setting_schema.h"
#include "link/privilege_names.h"

namespace jexremote {

namespace {

// A privilege the welcome does not name counts as not granted.
bool granted(const jexlink::Welcome& who, const char* privilege) {
    for (const auto& [name, value] : who.privileges)
        if (name == QLatin1StringView(privilege)) return value != 0;
    return false;
}

}  // namespace

std::optional<int> forbiddenChange(const jexlink::Welcome& who, const ServerSettings& current,
                                   const ServerSettings& next) {
    if (who.superAdmin) return std::nullopt;
    // In the privileges' order, each with the setting its row says it guards.
    for (int p = 0; p < int(jexlink::kPrivilegeNames.size()); ++p) {
        const int field = kdrsm::wire::guardedBy(p)->index;
        if (next.fields[field] != current.fields[field] &&
            !granted(who, jexlink::kPrivilegeNames[p]))
            return field;
    }
    return std::nullopt;
}

}  // namespace jexremote
