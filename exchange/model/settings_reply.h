#pragma once
// Settings and the settings reply, the answer to "GetSettingsRem": 34 fields
// | four role flags "True"/"False" | weapon entries "<encoded name>,<flag>" |
// auto-load "1"/"0", free text as Base64 of its UTF-8 bytes.

#include <QString>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

// Bounds on a reply read from outside.
inline constexpr qsizetype kMaxReplyText = 8 << 20;
inline constexpr qsizetype kMaxReplyWeapons = 100000;

QString replyText(const ServerSettings& settings);

// The settings a reply carries, read the way the panel fills its form: a
// list or check field must be a number the panel takes, free text must
// decode, weapon entries need their comma (blank entries are skipped); what
// follows the four sections and the 34 fields is ignored. The first problem
// otherwise, naming the place and never the content.
Read<ServerSettings> settingsOfReply(const QString& text);

}  // namespace kdrsm::model
