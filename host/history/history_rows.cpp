#include "host/history/history_rows.h"

#include <QJsonObject>
#include <QSet>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"

namespace jexhost::history {

namespace model = kdrsm::model;

namespace {

const QString kSetting = QStringLiteral("setting");
const QString kVersion = QStringLiteral("version");
const QString kOld = QStringLiteral("old");
const QString kNew = QStringLiteral("new");
const QString kUnreadable = QStringLiteral("(unreadable)");
const QString kNotListed = QStringLiteral("(not listed)");

QString withoutColon(const QString& caption) {
    return model::captionWords(caption);
}

// A stored field value as the form shows it.
QString storedText(const QJsonValue& value, int field) {
    if (!value.isString()) return kUnreadable;
    return shownText(field >= 0 ? model::shownField(field, value.toString()) : value.toString(),
                     kMaxShownText);
}

QString flagText(const QJsonObject& change, const QString& key, const QString& mark) {
    if (change.value(mark).toBool()) return kNotListed;
    const QJsonValue value = change.value(key);
    if (!value.isBool()) return kUnreadable;
    return model::restrictionText(value.toBool());
}

HistoryChange changeOf(const QJsonObject& object) {
    const QString name = object.value(kSetting).toString();
    HistoryChange change;
    const int field = model::fieldOfKey(name);
    const QString label = model::labelOfKey(name);
    if (!label.isEmpty())
        change.setting = withoutColon(label);
    else
        change.setting = name.isEmpty() ? kUnreadable : shownText(name, kMaxShownText);
    const bool restriction = name == QLatin1StringView(model::kRolesKey) ||
                             name == QLatin1StringView(model::kWeaponsKey);
    const bool autoLoad = name == QLatin1StringView(model::kAutoLoadKey);

    // A password says it changed and nothing more, whatever else came with it.
    if (model::isSecret(field) || object.value(QStringLiteral("changed")).toBool()) {
        change.kind = ChangeKind::Secret;
        return change;
    }
    if (restriction) {
        change.entry = shownText(object.value(QStringLiteral("entry")).toString(), kMaxShownText);
        change.before = flagText(object, kOld, QStringLiteral("added"));
        change.after = flagText(object, kNew, QStringLiteral("removed"));
    } else if (autoLoad) {
        const auto onOff = [](const QJsonValue& v) {
            return v == QJsonValue(QStringLiteral("1"))   ? model::checkText(1)
                   : v == QJsonValue(QStringLiteral("0")) ? model::checkText(0)
                                                          : kUnreadable;
        };
        change.before = onOff(object.value(kOld));
        change.after = onOff(object.value(kNew));
    } else {
        change.before = storedText(object.value(kOld), field);
        change.after = storedText(object.value(kNew), field);
    }
    return change;
}

std::optional<PutBack> putBackOf(const QJsonObject& object) {
    const QString key = object.value(kSetting).toString();
    const QJsonValue old = object.value(kOld);
    if (object.value(QStringLiteral("changed")).toBool() || model::labelOfKey(key).isEmpty() ||
        model::isSecret(model::fieldOfKey(key)))
        return std::nullopt;
    if (key == QLatin1StringView(model::kRolesKey) ||
        key == QLatin1StringView(model::kWeaponsKey)) {
        if (!old.isBool() || object.value(QStringLiteral("added")).toBool() ||
            object.value(QStringLiteral("removed")).toBool())
            return std::nullopt;
        return PutBack{key, object.value(QStringLiteral("entry")).toString(),
                       old.toBool() ? QStringLiteral("1") : QStringLiteral("0")};
    }
    if (!old.isString()) return std::nullopt;
    return PutBack{key, {}, old.toString()};
}

std::optional<qint64> versionOf(const QJsonValue& value) {
    const qint64 version = value.toInteger(-1);
    return version >= 0 ? std::optional<qint64>(version) : std::nullopt;
}

QDateTime utcOf(const QJsonValue& value) {
    // An ISO time with milliseconds is 24 characters; anything far longer is no time.
    const QString text = value.toString();
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
    QSet<qint64> undone;
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        const auto version = versionOf(record.value(kVersion));
        if (record.value(QStringLiteral("undone")).toBool() && version) undone.insert(*version);
    }

    QList<HistoryRow> rows;
    for (const QJsonValue& value : records) {
        if (rows.size() >= kMaxRows) break;
        const QJsonObject record = value.toObject();
        if (record.isEmpty() || record.value(QStringLiteral("undone")).toBool()) continue;
        HistoryRow row;
        row.time = utcOf(record.value(QStringLiteral("time")));
        row.operatorName =
            shownText(record.value(QStringLiteral("operator")).toString(), kMaxOperatorText);
        row.version = versionOf(record.value(kVersion));
        row.revertOf = versionOf(record.value(QStringLiteral("revertOf")));
        row.undone = row.version && undone.contains(*row.version);
        row.gameAction = shownText(record.value(QStringLiteral("game")).toString(), kMaxShownText);
        row.consoleCommand =
            shownText(record.value(QStringLiteral("command")).toString(), kMaxCommandText);
        const QJsonArray changes = record.value(QStringLiteral("changes")).toArray();
        for (const QJsonValue& change : changes) {
            if (row.changes.size() >= kMaxChangesPerRow) {
                ++row.omittedChanges;
                continue;
            }
            row.changes.append(changeOf(change.toObject()));
            row.putBacks.append(putBackOf(change.toObject()));
        }
        rows.append(row);
    }
    return rows;
}

QList<VersionRow> versionRows(const QJsonArray& versions) {
    QList<VersionRow> rows;
    for (const QJsonValue& value : versions) {
        if (rows.size() >= kMaxVersions) break;
        const QJsonObject object = value.toObject();
        const auto version = versionOf(object.value(kVersion));
        if (!version) continue;  // nothing a revert could name
        rows.append(
            {*version, utcOf(object.value(QStringLiteral("time"))),
             shownText(object.value(QStringLiteral("operator")).toString(), kMaxOperatorText)});
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
