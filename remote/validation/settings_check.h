#pragma once
// The one validator of stored settings: every field by its rule, the four
// roles, the weapons (names that a state file can hold, bounded in number).
// An update is checked once it has been turned into the settings it would
// store, and a state file once it has been read, with the same rules.

#include <QString>

#include <optional>

#include "remote/store/server_settings.h"

namespace jexremote {

inline constexpr int kMaxWeapons = 256;
inline constexpr int kMaxRestrictionName = 32;
using kdrsm::model::kRoleCount;

// The first setting that breaks its rule; the reason never quotes the value.
using kdrsm::model::Fault;

std::optional<Fault> checkSettings(const ServerSettings& settings);

// Why a role or weapon name cannot be kept; empty when it can. Names are keys
// of a state file: no "=", no blanks at either end, nothing that starts a
// comment or section, no control characters.
QString restrictionNameFault(const QString& name);

}  // namespace jexremote
