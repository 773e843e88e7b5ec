#pragma once
// The settings five privileges guard. An operator who lacks a privilege may
// send the setting's value unchanged (the panel sends the value of a disabled
// control too) but not change it.

#include <optional>

#include "link/link_messages.h"
#include "remote/store/server_settings.h"

namespace jexremote {

// The first guarded field that `next` changes against `current` and the
// operator may not change; nothing when the update is allowed.
std::optional<int> forbiddenChange(const jexlink::Welcome& who, const ServerSettings& current,
                                   const ServerSettings& next);

}  // namespace jexremote
