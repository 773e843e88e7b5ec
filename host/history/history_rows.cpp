#include "host/history/history_rows.h"

#include <QJsonObject>
#include <QSet>

#include "exchange/wire/field_captions.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/list_entries.h"

namespace jexhost::history {

namespace wire = kdrsm::wire;

namespace {

const QString kSetting = QStringLiteral("setting");
const QString kVersion = QStringLiteral("version");
const QString kOld = QStringLiteral("old");
const QString kNew = QStringLiteral("new");
const QString kUnreadable = QStringLiteral("(unreadable)");
const QString kNotListed = QStringLiteral("(not listed)");

// The settings a record names beside the fields: the state file's names and
// the captions the form gives them.
struct NamedSetting {
    const char* name;
    const char* caption;
    bool restriction;  // values are restriction flags of named entries
};
constexpr NamedSetting kNamedSettings[] = {
    {"Roles", wire::kRolesCaption, true},
    {"Weapons", wire::kWeaponsCaption, true},
    {"AutoLoad", wire::kAutoLoadCaption, false},
};

// A field's setting name is its control's name without "sav".
int fieldOfSetting(const QString& name) {
    for (const wire::WireField& field : wire::kWireFields)
        if (QLatin1StringView(field.control).sliced(3) == name) return field.index;
    return -1;
}

QString withoutColon(const char* caption) {
    QString text = QString::fromLatin1(caption);
    if (text.endsWith(u':')) text.chop(1);
    return text;
}

QString checkText(int value) {
    static const QString kChecks[] = {QStringLiteral("off"), QStringLiteral("on"),
                                      QStringLiteral("greyed")};
    return value >= 0 && value <= 2 ? kChecks[value] : QString();
}

// A stored field value as the form shows it: list entries by their text,
// check boxes as on/off/greyed with the auto-balance inversion undone. A
// value that names nothing the form has is shown as stored.
QString formText(int index, const QString& stored) {
    const wire::WireField& field = wire::kWireFields[static_cast<size_t>(index)];
    bool number = false;
    const int value = stored.toInt(&number);
    QString shown;
    switch (field.reply) {
        case wire::ReplyForm::ListIndex:
        case wire::ReplyForm::ListIndexMinus1: {
            const int at = field.reply == wire::ReplyForm::ListIndex ? value : value - 1;
            const QStringList entries = wire::listEntries(index);
            if (number && at >= 0 && at < entries.size()) shown = entries[at];
            break;
        }
        case wire::ReplyForm::Check:
            if (number) shown = checkText(value);
            break;
        case wire::ReplyForm::InvertedCheck:
            if (number) shown = checkText(value == 1 ? 0 : (value == 0 ? 1 : -1));
            break;
        case wire::ReplyForm::Decoded:
        case wire::ReplyForm::Text:
        case wire::ReplyForm::GamePort:
            break;
    }
    return shown.isNull() ? shownText(stored, kMaxShownText) : shown;
}

QString storedText(const QJsonValue& value, int field) {
    if (!value.isString()) return kUnreadable;
    return field >= 0 ? formText(field, value.toString())
                      : shownText(value.toString(), kMaxShownText);
}

QString flagText(const QJsonObject& change, const QString& key, const QString& mark) {
    if (change.value(mark).toBool()) return kNotListed;
    const QJsonValue value = change.value(key);
    if (!value.isBool()) return kUnreadable;
    return value.toBool() ? QStringLiteral("restricted") : QStringLiteral("not restricted");
}

HistoryChange changeOf(const QJsonObject& object) {
    const QString name = object.value(kSetting).toString();
    HistoryChange change;
    const int field = fieldOfSetting(name);
    const NamedSetting* named = nullptr;
    for (const NamedSetting& setting : kNamedSettings)
        if (name == QLatin1StringView(setting.name)) named = &setting;

    if (field >= 0)
        change.setting = withoutColon(wire::kFieldCaptions[static_cast<size_t>(field)].label);
    else if (named)
        change.setting = withoutColon(named->caption);
    else
        change.setting = name.isEmpty() ? kUnreadable : shownText(name, kMaxShownText);

    // A password says it changed and nothing more, whatever else came with it.
    const bool secret = field >= 0 && wire::kFieldCaptions[static_cast<size_t>(field)].secret;
    if (secret || object.value(QStringLiteral("changed")).toBool()) {
        change.kind = ChangeKind::Secret;
        return change;
    }
    if (named && named->restriction) {
        change.entry = shownText(object.value(QStringLiteral("entry")).toString(), kMaxShownText);
        change.before = flagText(object, kOld, QStringLiteral("added"));
        change.after = flagText(object, kNew, QStringLiteral("removed"));
    } else if (named) {
        const auto onOff = [](const QJsonValue& v) {
            return v == QJsonValue(QStringLiteral("1"))   ? QStringLiteral("on")
                   : v == QJsonValue(QStringLiteral("0")) ? QStringLiteral("off")
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
        const QJsonArray changes = record.value(QStringLiteral("changes")).toArray();
        for (const QJsonValue& change : changes) {
            if (row.changes.size() >= kMaxChangesPerRow) {
                ++row.omittedChanges;
                continue;
            }
            row.changes.append(changeOf(change.toObject()));
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
