#pragma once
// Request files for the remote server manager: their path and the one-line
// request text "Plugin_jexKDRSM_<command>_<tag>_VB6_<index>_<data>".

#include <QString>

#include <optional>

namespace kdrsm::wire {

inline const QString kGetSettings = QStringLiteral("GetSettingsRem");
inline const QString kSetSettings = QStringLiteral("SetSettingsRem");

// HostRoot/RCData
QString requestFolder(const QString& hostRoot);
// HostRoot/RCData/reply_jexKDRSM_<command>.txt
QString requestFilePath(const QString& hostRoot, const QString& command);

// The request text; no piece is escaped.
QString requestText(const QString& command, const QString& hostTag, qint32 profileIndex,
                    const QString& data);

// A request text taken apart again (the remote side's reading of it).
struct Request {
    QString command;
    QString hostTag;
    qint32 profileIndex = 0;
    QString data;
};

// Reads a request text; nothing when it is not one. The command runs to the
// first "_"; the tag to the first "_VB6_" that is followed by a decimal
// index and "_"; the data is the rest.
std::optional<Request> parseRequestText(const QString& text);

}  // namespace kdrsm::wire
