#pragma once
// The five privileges an operator may lack, as the remote side grants them in
// its welcome and the panel looks them up, in the order the panel applies them.

#include <array>

namespace jexlink {

inline constexpr std::array<const char*, 5> kPrivilegeNames = {
    "Change Session Type", "Change Max Players", "Change Dedicated Mode",
    "Change Custom Skins Option", "Change Req Nova Login Option"};

}  // namespace jexlink
