#include "remote/games/config_file.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "jex/durable_file.h"

namespace jexremote::games {

namespace {

QString hashOf(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The first word of a configuration line: the variable it sets.
QString variableOf(const QByteArray& line) {
    const QString text = QString::fromUtf8(line).trimmed();
    return text.section(u' ', 0, 0);
}

}  // namespace

ConfigWrite writeConfiguration(const QString& folder, const QString& fileName,
                               const QStringList& fixedLines, const QStringList& fixedVariables,
                               const std::optional<QStringList>& settingLines,
                               std::optional<qint64> version) {
    ConfigWrite out;
    const QString path = QDir(folder).filePath(fileName);
    const QString recordPath = path + QStringLiteral(".ours");
    std::optional<QByteArray> onDisk;
    if (QFileInfo::exists(path)) {
        onDisk = jex::fs::readRegularFile(path, kMaxConfigBytes + 1, &out.reason);
        if (!onDisk) return out;
        if (onDisk->size() > kMaxConfigBytes) {
            out.reason =
                QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxConfigBytes);
            return out;
        }
    }
    QString unread;
    const auto recordBytes = jex::fs::readRegularFile(recordPath, 4096, &unread);
    const QJsonObject record =
        recordBytes ? QJsonDocument::fromJson(*recordBytes).object() : QJsonObject();
    const bool ours =
        onDisk && record.value(QStringLiteral("sha256")).toString() == hashOf(*onDisk);
    if (onDisk && !ours) {
        out.copy = path + QStringLiteral(".edited-") +
                   QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzzZ"));
        if (const auto failure = jex::fs::writeFileDurably(out.copy, *onDisk)) {
            out.reason = QStringLiteral(
                             "the configuration changed by someone else could not be "
                             "kept, so it was not replaced: ") +
                         failure->text;
            return out;
        }
        out.edited = onDisk;
    }

    QStringList lines = fixedLines;
    if (settingLines) {
        lines << *settingLines;
        out.version = version;
    } else {
        if (onDisk)
            for (const QByteArray& line : onDisk->split('\n'))
                if (!line.trimmed().isEmpty() && !fixedVariables.contains(variableOf(line)))
                    lines << QString::fromUtf8(line);
        // Kept lines hold what we wrote last only when nobody changed them since.
        if (ours && !record.value(QStringLiteral("version")).isNull())
            out.version = record.value(QStringLiteral("version")).toInteger();
    }
    const QByteArray content = (lines.join(u'\n') + u'\n').toUtf8();
    if (const auto failure = jex::fs::writeFileDurably(path, content)) {
        out.reason = failure->text;
        return out;
    }
    const QJsonObject written{{"sha256", hashOf(content)},
                              {"version", out.version ? QJsonValue(*out.version) : QJsonValue()}};
    if (const auto failure = jex::fs::writeFileDurably(
            recordPath, QJsonDocument(written).toJson(QJsonDocument::Compact))) {
        out.reason = failure->text;
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace jexremote::games
