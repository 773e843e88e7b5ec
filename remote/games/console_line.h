#pragma once
// A setting's value as one line of the game's configuration file or console:
// `sv_name "My \"best\" server"`. The value is quoted by the game's rules, so
// a quote, a backslash, a semicolon or a `#` in it stays part of that one
// value and never starts a second command. What cannot be passed as one value
// (a control character, a line break where the game has no escape for it, a
// text longer than the game keeps, a number out of range) is refused with the
// reason, in the operator's words, never quoting the value itself.

#include <QString>

#include <optional>

#include "remote/games/game_definition.h"

namespace jexremote::games {

// `value` as the game's quoted text (with its quotes), or nothing with the
// reason when it cannot be one value.
std::optional<QString> quotedValue(const QString& value, const SettingMapping& mapping,
                                   QString* reason);

// The line that sets `mapping`'s variable to our stored `stored` value (a
// number has the mapping's `add` applied), or nothing with the reason.
std::optional<QString> settingLine(const SettingMapping& mapping, const QString& stored,
                                   QString* reason);

// A line of its own for the game's console typed by an operator: at most
// kMaxCommandLength characters, no control characters. The reason when not.
inline constexpr int kMaxCommandLength = 256;
QString commandLineFault(const QString& line);

}  // namespace jexremote::games
