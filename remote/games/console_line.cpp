#include "remote/games/console_line.h"

namespace jexremote::games {

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

}  // namespace

std::optional<QString> quotedValue(const QString& value, const SettingMapping& mapping,
                                   QString* reason) {
    const auto refuse = [reason](const QString& why) -> std::optional<QString> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    // What the game will hold: line breaks as its own escape, nothing else changed.
    QString kept;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' || c == u'\n') {
            if (mapping.lineBreak.isEmpty())
                return refuse(QStringLiteral("holds a line break, which %1 cannot take")
                                  .arg(mapping.variable));
            if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') ++i;
            kept += mapping.lineBreak;
        } else if (isControl(c)) {
            return refuse(QStringLiteral("holds a control character"));
        } else {
            kept += c;
        }
    }
    const QByteArray bytes = kept.toUtf8();
    if (QString::fromUtf8(bytes) != kept) return refuse(QStringLiteral("is not valid text"));
    if (mapping.maxBytes > 0 && bytes.size() > mapping.maxBytes)
        return refuse(QStringLiteral("is longer than the %1 bytes %2 keeps")
                          .arg(mapping.maxBytes)
                          .arg(mapping.variable));
    QString out = QStringLiteral("\"");
    for (const QChar c : kept) {
        if (c == u'"' || c == u'\\') out += u'\\';
        out += c;
    }
    return out + u'"';
}

std::optional<QString> settingLine(const SettingMapping& mapping, const QString& stored,
                                   QString* reason) {
    if (mapping.number) {
        bool ok = false;
        const qlonglong number = stored.toLongLong(&ok);
        if (!ok || number < -1000000000 || number > 1000000000) {
            if (reason) *reason = QStringLiteral("is not a whole number");
            return std::nullopt;
        }
        return mapping.variable + u' ' + QString::number(number + mapping.add);
    }
    const auto quoted = quotedValue(stored, mapping, reason);
    if (!quoted) return std::nullopt;
    return mapping.variable + u' ' + *quoted;
}

QString commandLineFault(const QString& line) {
    if (line.trimmed().isEmpty()) return QStringLiteral("the command is empty");
    if (line.size() > kMaxCommandLength)
        return QStringLiteral("the command is longer than %1 characters").arg(kMaxCommandLength);
    for (const QChar c : line)
        if (isControl(c)) return QStringLiteral("the command holds a control character");
    return {};
}

}  // namespace jexremote::games
