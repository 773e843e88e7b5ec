#pragma once
// The remote side's half of the settings exchange: the settings reply it
// sends and the update body it accepts. Free text travels as Base64 of its
// UTF-8 bytes, the encoding the panel's text encoder uses.

#include <QString>

#include <optional>

#include "remote/server_settings.h"

namespace jexremote {

QString encodeText(const QString& text);
// Nothing when the text is not valid Base64.
std::optional<QString> decodeText(const QString& encoded);

// The answer to "GetSettingsRem".
QString settingsReplyText(const ServerSettings& settings);

// The settings after the update body of "SetSettingsRem"; nothing when the
// body is malformed or a value is out of range, names an unknown weapon or
// puts a wrong name into a role slot. The game port is never updated.
std::optional<ServerSettings> applyUpdate(const ServerSettings& current, const QString& body);

}  // namespace jexremote
