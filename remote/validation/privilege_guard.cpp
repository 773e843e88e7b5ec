#include "remote/validation/privilege_guard.h"

#include "link/privilege_names.h"

namespace jexremote {

namespace {

struct Guard {
    const char* privilege;
    int field;
};

// clang-format off
constexpr Guard kGuards[] = {
    {jexlink::kPrivilegeNames[0], 2},   // Session
    {jexlink::kPrivilegeNames[1], 4},   // Players
    {jexlink::kPrivilegeNames[2], 9},   // Dedicated
    {jexlink::kPrivilegeNames[3], 11},  // Skins
    {jexlink::kPrivilegeNames[4], 10},  // NovaLogin
};
// clang-format on

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
    for (const Guard& guard : kGuards)
        if (next.fields[guard.field] != current.fields[guard.field] &&
            !granted(who, guard.privilege))
            return guard.field;
    return std::nullopt;
}

}  // namespace jexremote
