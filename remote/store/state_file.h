#pragma once
// One server's state file: an INI file of four sections.
//   [Settings]  one line per field, "Players=31"; free text as plain text
//   [Roles]     the four roles in the panel's order, "Medic=1" when restricted
//   [Weapons]   the server's weapons in list order, "M4=0"
//   [Options]   AutoLoad=0 or 1
// Values are written on one line each; a backslash starts an escape: "\\",
// "\n", "\r", "\t", "\s" (a space, kept at either end of a value) and "\xHH"
// for other control characters. The file is read strictly: a line that is
// not a section, a "key=value" pair, a comment or blank, a key met twice, an
// unknown key or a value that breaks its setting's rule refuses the whole
// file, with file, line and setting named.

#include <QByteArray>
#include <QString>

#include <variant>

#include "remote/store/server_settings.h"

namespace jexremote {

inline constexpr qint64 kMaxStateFileBytes = 1 << 20;

// "FOLDER/server-N.ini", profile N's state file.
QString stateFilePath(const QString& folder, int profile);

QByteArray stateFileText(const ServerSettings& settings);

// The settings of a state file's text, or the reason it is refused:
// "FILE:LINE: setting NAME: REASON" (line 0 when the setting is missing).
std::variant<ServerSettings, QString> parseStateFile(const QByteArray& text,
                                                     const QString& fileName);

// Reads the file, never through a symbolic link.
std::variant<ServerSettings, QString> readStateFile(const QString& path);

// Writes the file atomically (jex::fs::writeFileDurably), owner-only. False, with the reason in
// `error`, when it cannot. The second takes the settings' stateFileText(), for a
// caller that writes the same text elsewhere too.
bool writeStateFile(const QString& path, const ServerSettings& settings, QString* error);
bool writeStateText(const QString& path, const QByteArray& text, QString* error);

}  // namespace jexremote
