#pragma once
// This side's half of the settings exchange: the settings reply it sends and
// the update body it takes in. Free text travels as Base64 of its UTF-8
// bytes, the encoding of the panel's text encoder.

#include <QString>

#include <optional>
#include <variant>

#include "remote/store/server_settings.h"
#include "remote/validation/settings_check.h"

namespace jexremote {

QString encodeText(const QString& text);
// Nothing when the text is not strict Base64.
std::optional<QString> decodeText(const QString& encoded);

// The answer to "GetSettingsRem".
QString settingsReplyText(const ServerSettings& settings);

// The settings an update body would store, checked by the same rules as a
// state file; or the first fault. The game port, never sent, keeps its value;
// weapons must be the server's own, role slots empty or the role's name.
std::variant<ServerSettings, Fault> updatedSettings(const ServerSettings& current,
                                                    const QString& body);

}  // namespace jexremote
