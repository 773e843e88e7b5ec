#pragma once
// The game's configuration file as jexremote writes it: the definition's
// fixed lines first, then either our settings (auto-load on) or the lines
// the file holds already (auto-load off: the operator's file is kept, only
// the fixed lines are ours). Beside it, `FILE.ours` records what was written
// last (its SHA-256 and the stored settings version it holds), so a file
// changed since by someone else (edited by hand, by another tool) is
// noticed; before such a file is replaced, a copy of it is kept beside it as
// `FILE.edited-YYYYMMDDTHHMMSSmmmZ`, owner-only, by the durable writer.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote::games {

struct ConfigWrite {
    bool ok = false;
    QString reason;  // when not ok
    // The file as someone else left it, when it was not what we wrote last.
    std::optional<QByteArray> edited;
    QString copy;  // where that file was kept
    // The stored settings version the file now holds; nothing when it holds
    // the operator's own lines.
    std::optional<qint64> version;
};

inline constexpr qint64 kMaxConfigBytes = 1024 * 1024;

// Writes `folder`/`fileName`: `fixedLines`, then `settingLines` (from the
// stored `version`) or, without them, the lines of the file on disk that
// set none of `fixedVariables`.
ConfigWrite writeConfiguration(const QString& folder, const QString& fileName,
                               const QStringList& fixedLines, const QStringList& fixedVariables,
                               const std::optional<QStringList>& settingLines,
                               std::optional<qint64> version);

}  // namespace jexremote::games
