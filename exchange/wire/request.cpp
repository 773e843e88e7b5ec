#include "exchange/wire/request.h"

namespace kdrsm::wire {

namespace {
const QString kPrefix = QStringLiteral("Plugin_jexKDRSM_");
const QString kTagEnd = QStringLiteral("_VB6_");
}  // namespace

QString requestFolder(const QString& hostRoot) {
    return hostRoot + QStringLiteral("/RCData");
}

QString requestFilePath(const QString& hostRoot, const QString& command) {
    return requestFolder(hostRoot) + QStringLiteral("/reply_jexKDRSM_") + command +
           QStringLiteral(".txt");
}

QString requestText(const QString& command, const QString& hostTag, qint32 profileIndex,
                    const QString& data) {
    return kPrefix + command + u'_' + hostTag + kTagEnd + QString::number(profileIndex) + u'_' +
           data;
}

std::optional<Request> parseRequestText(const QString& text) {
    if (!text.startsWith(kPrefix)) return std::nullopt;
    const qsizetype commandEnd = text.indexOf(u'_', kPrefix.size());
    if (commandEnd < 0) return std::nullopt;

    Request request;
    request.command = text.mid(kPrefix.size(), commandEnd - kPrefix.size());
    const qsizetype tagBegin = commandEnd + 1;
    // The tag may be empty, so its end marker may start right where it begins.
    for (qsizetype at = text.indexOf(kTagEnd, tagBegin); at >= 0;
         at = text.indexOf(kTagEnd, at + 1)) {
        const qsizetype indexBegin = at + kTagEnd.size();
        const qsizetype indexEnd = text.indexOf(u'_', indexBegin);
        if (indexEnd < 0) break;
        // Only the plain decimal form requestText writes ("7", "-2"; not
        // "07", "+7" or " 7").
        const QString indexText = text.mid(indexBegin, indexEnd - indexBegin);
        bool ok = false;
        const qint32 index = indexText.toInt(&ok);
        if (!ok || QString::number(index) != indexText) continue;
        request.hostTag = text.mid(tagBegin, at - tagBegin);
        request.profileIndex = index;
        request.data = text.mid(indexEnd + 1);
        return request;
    }
    return std::nullopt;
}

}  // namespace kdrsm::wire
