#include "remote/audit/audit_log.h"

namespace jexremote {

Q_LOGGING_CATEGORY(lcRemote, "jex.remote")

void installLogPattern() {
    qSetMessagePattern(QStringLiteral(
        "%{time yyyy-MM-ddThh:mm:ss.zzz} %{if-warning}warning %{endif}%{if-critical}critical "
        "%{endif}%{category}: %{message}"));
}

QString boundedText(const QString& text, int limit) {
    QString out = text.left(limit);
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) c = u'?';
    if (text.size() > limit) out += QStringLiteral("...");
    return out;
}

void logRequest(const RequestEvent& event) {
    const QString line = QStringLiteral("request %1 tag=\"%2\" profile=%3 size=%4 %5")
                             .arg(boundedText(event.command, 32), boundedText(event.tag))
                             .arg(event.profile)
                             .arg(event.size)
                             .arg(event.outcome);
    const QString full =
        event.detail.isEmpty() ? line : line + u' ' + boundedText(event.detail, 512);
    if (event.outcome == u"served" || event.outcome == u"stored")
        qCInfo(lcRemote).noquote() << full;
    else
        qCWarning(lcRemote).noquote() << full;
}

}  // namespace jexremote
