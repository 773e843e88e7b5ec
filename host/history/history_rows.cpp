#include "host/history/history_rows.h"

#include <QJsonObject>
#include <QSet>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"
#include "link/audit_record.h"

namespace jexhost::history {

namespace model = kdrsm::model;

namespace {

const QString kUnreadable = QStringLiteral("(unreadable)");
const QString kNotListed = QStringLiteral("(not listed)");

// A stored field value as the form shows it.
QString storedText(const QJsonValue& value, int field) {
    if (!value.isString()) return kUnreadable;
    return shownText(field >= 0 ? model::shownField(field, value.toString()) : value.toString(),
                     kMaxShownText);
}

// A restriction flag as the form shows it; `notListed` when the entry was
// not there on that side of the change.
QString shownFlag(const QJsonValue& value, bool notListed) {
    if (notListed) return kNotListed;
    if (!value.isBool()) return kUnreadable;
    return model::restrictionText(value.toBool());
}

bool isRestriction(const QString& key) {
    return key == QLatin1StringView(model::kRolesKey) ||
           key == QLatin1StringView(model::kWeaponsKey);
}

HistoryChange changeOf(const jexlink::AuditChange& audited) {
    const QString& name = audited.setting;
    HistoryChange change;
    const int field = model::fieldOfKey(name);
    const QString label = model::labelOfKey(name);
    if (!label.isEmpty())
        change.setting = model::captionWords(label);
    else
        change.setting = name.isEmpty() ? kUnreadable : shownText(name, kMaxShownText);

    // A password says it changed and nothing more, whatever else came with it.
    if (model::isSecret(field) || audited.secret) {
        change.kind = ChangeKind::Secret;
        return change;
    }
    if (isRestriction(name)) {
        change.entry = shownText(audited.entry.value_or(QString()), kMaxShownText);
        change.before = shownFlag(audited.before, audited.added);
        change.after = shownFlag(audited.after, audited.removed);
    } else if (name == QLatin1StringView(model::kAutoLoadKey)) {
        const auto onOff = [](const QJsonValue& v) {
            return v == QJsonValue(model::flagText(true))    ? model::checkText(1)
                   : v == QJsonValue(model::flagText(false)) ? model::checkText(0)
                                                             : kUnreadable;
        };
        change.before = onOff(audited.before);
        change.after = onOff(audited.after);
    } else {
        change.before = storedText(audited.before, field);
        change.after = storedText(audited.after, field);
    }
    return change;
}

std::optional<PutBack> putBackOf(const jexlink::AuditChange& audited) {
    const QString& key = audited.setting;
    const QJsonValue& old = audited.before;
    if (audited.secret || model::labelOfKey(key).isEmpty() ||
        model::isSecret(model::fieldOfKey(key)))
        return std::nullopt;
    if (isRestriction(key)) {
        if (!old.isBool() || audited.added || audited.removed) return std::nullopt;
        return PutBack{key, audited.entry.value_or(QString()), model::flagText(old.toBool())};
    }
    if (!old.isString()) return std::nullopt;
    return PutBack{key, {}, old.toString()};
}

QDateTime utcOf(const QString& text) {
    // An ISO time with milliseconds is 24 characters; anything far longer is no time.
    if (text.size() > 40) return {};
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() ? time.toUTC() : QDateTime();
}

}  // namespace

QString shownText(const QString& text, int limit) {
    QString shown = text.left(limit + 1);
    for (QChar& c : shown) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            c = u' ';
    }
    if (shown.size() <= limit) return shown;
    shown.truncate(limit - 1);
    if (!shown.isEmpty() && shown.back().isHighSurrogate()) shown.chop(1);
    return shown + QChar(0x2026);
}

QList<HistoryRow> historyRows(const QJsonArray& records) {
    QList<jexlink::AuditRecord> read;
    QSet<qint64> undone;
    for (const QJsonValue& value : records) {
        if (value.toObject().isEmpty()) continue;
        read.append(jexlink::readAuditRecord(value.toObject()));
        if (read.last().undone && read.last().version) undone.insert(*read.last().version);
    }

    QList<HistoryRow> rows;
    for (const jexlink::AuditRecord& record : read) {
        if (rows.size() >= kMaxRows) break;
        if (record.undone) continue;
        HistoryRow row;
        row.time = utcOf(record.time);
        row.operatorName = shownText(record.operatorName, kMaxOperatorText);
        row.version = record.version;
        row.revertOf = record.revertOf;
        row.undone = row.version && undone.contains(*row.version);
        row.gameAction = shownText(record.game.value_or(QString()), kMaxShownText);
        row.consoleCommand = shownText(record.command.value_or(QString()), kMaxCommandText);
        for (const jexlink::AuditChange& change :
             record.changes.value_or(QList<jexlink::AuditChange>())) {
            if (row.changes.size() >= kMaxChangesPerRow) {
                ++row.omittedChanges;
                continue;
            }
            row.changes.append(changeOf(change));
            row.putBacks.append(putBackOf(change));
        }
        rows.append(row);
    }
    return rows;
}

QList<VersionRow> versionRows(const QJsonArray& versions) {
    QList<VersionRow> rows;
    for (const QJsonValue& value : versions) {
        if (rows.size() >= kMaxVersions) break;
        const jexlink::KeptVersionEntry kept = jexlink::readKeptVersion(value.toObject());
        if (!kept.version) continue;  // nothing a revert could name
        rows.append(
            {*kept.version, utcOf(kept.time), shownText(kept.operatorName, kMaxOperatorText)});
    }
    return rows;
}

QString rowSummary(const HistoryRow& row) {
    if (!row.gameAction.isEmpty()) return QStringLiteral("Game: %1").arg(row.gameAction);
    if (!row.consoleCommand.isEmpty())
        return QStringLiteral("Console command: %1").arg(row.consoleCommand);
    QStringList names;
    for (const HistoryChange& change : row.changes)
        if (!names.contains(change.setting)) names.append(change.setting);
    QString head;
    if (row.revertOf) head = QStringLiteral("Revert of version %1").arg(*row.revertOf);
    if (row.undone) head += head.isEmpty() ? QStringLiteral("Undone") : QStringLiteral(" (undone)");
    const QString list =
        names.isEmpty() ? QStringLiteral("No settings changed") : names.join(u", ");
    return head.isEmpty() ? list : head + QStringLiteral(": ") + list;
}

QString localTimeText(const QDateTime& utc) {
    if (!utc.isValid()) return QStringLiteral("(unknown time)");
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace jexhost::history
