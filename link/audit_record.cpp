#include "link/audit_record.h"

#include <QJsonArray>

#include <climits>

#include "link/json_fields.h"
#include "link/link_words.h"

namespace jexlink {

using namespace field;

namespace {

std::optional<QString> textOf(const QJsonValue& value) {
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

// A version: a whole number of at least 0, or nothing.
std::optional<qint64> counted(const QJsonValue& value) {
    const qint64 number = value.toInteger(-1);
    return number >= 0 ? std::optional<qint64>(number) : std::nullopt;
}

QJsonObject changeObject(const AuditChange& change) {
    QJsonObject object{{kSetting, change.setting}};
    if (change.secret) {
        object.insert(kChanged, true);
        return object;
    }
    if (change.entry) object.insert(kEntry, *change.entry);
    if (change.added) object.insert(kAdded, true);
    if (change.removed) object.insert(kRemoved, true);
    if (!change.before.isUndefined()) object.insert(kOld, change.before);
    if (!change.after.isUndefined()) object.insert(kNew, change.after);
    return object;
}

AuditChange readChange(const QJsonObject& object) {
    return {object.value(kSetting).toString(),
            textOf(object.value(kEntry)),
            object.value(kOld),
            object.value(kNew),
            object.value(kChanged).toBool(),
            object.value(kAdded).toBool(),
            object.value(kRemoved).toBool()};
}

}  // namespace

QJsonObject auditRecordObject(const AuditRecord& record) {
    QJsonObject object{{kTime, record.time}, {kOperator, record.operatorName}};
    if (record.tag) object.insert(kTag, *record.tag);
    if (record.profile) object.insert(kProfile, *record.profile);
    if (record.version) object.insert(kVersion, *record.version);
    if (record.changes) {
        QJsonArray changes;
        for (const AuditChange& change : *record.changes) changes.append(changeObject(change));
        object.insert(kChanges, changes);
    }
    if (record.revertOf) object.insert(kRevertOf, *record.revertOf);
    if (record.mergedWith) object.insert(kMergedWith, *record.mergedWith);
    if (!record.batch.isEmpty()) object.insert(kBatch, record.batch);
    if (record.noChange) object.insert(kNoChange, true);
    if (record.undone) object.insert(kUndone, true);
    if (!record.reason.isEmpty()) object.insert(kReason, record.reason);
    if (record.game) object.insert(kGame, *record.game);
    if (record.command) object.insert(kCommand, *record.command);
    return object;
}

AuditRecord readAuditRecord(const QJsonObject& object) {
    AuditRecord record{object.value(kTime).toString(), object.value(kOperator).toString()};
    record.tag = textOf(object.value(kTag));
    if (const auto profile = json::wholeNumber(object.value(kProfile), INT_MIN, INT_MAX))
        record.profile = int(*profile);
    record.version = counted(object.value(kVersion));
    if (const QJsonValue changes = object.value(kChanges); changes.isArray()) {
        record.changes.emplace();
        for (const QJsonValue& change : changes.toArray())
            record.changes->append(readChange(change.toObject()));
    }
    record.revertOf = counted(object.value(kRevertOf));
    record.mergedWith = counted(object.value(kMergedWith));
    record.batch = object.value(kBatch).toString();
    record.noChange = object.value(kNoChange).toBool();
    record.undone = object.value(kUndone).toBool();
    record.reason = object.value(kReason).toString();
    record.game = textOf(object.value(kGame));
    record.command = textOf(object.value(kCommand));
    return record;
}

bool touchesSetting(const AuditRecord& record, const QString& key, const QString& entry) {
    if (!record.changes) return false;
    for (const AuditChange& change : *record.changes)
        if (change.setting == key && change.entry.value_or(QString()) == entry) return true;
    return false;
}

QJsonObject keptVersionObject(const KeptVersionEntry& entry) {
    QJsonObject object{{kTime, entry.time}, {kOperator, entry.operatorName}};
    if (entry.version) object.insert(kVersion, *entry.version);
    return object;
}

KeptVersionEntry readKeptVersion(const QJsonObject& object) {
    return {counted(object.value(kVersion)), object.value(kTime).toString(),
            object.value(kOperator).toString()};
}

}  // namespace jexlink
