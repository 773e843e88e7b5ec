#include "host/fleet/undo_judgement.h"

#include <QJsonObject>

#include "host/fleet/fleet_settings.h"
#include "link/audit_record.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;

QString undoProblem(const BatchServer& server, const QStringList& keys) {
    if (!server.damage.isEmpty())
        return QStringLiteral("the batch's record of it is damaged: ") + server.damage;
    if (!server.versionAfter)
        return QStringLiteral(
            "the batch recorded no version it made there, so a change made "
            "since could not be told from its own");
    QStringList foreign;
    for (const QJsonObject* values : {&server.before, &server.after})
        for (const QString& key : values->keys())
            if (!keys.contains(key) && !foreign.contains(key)) foreign << key;
    if (!foreign.isEmpty())
        return QStringLiteral(
                   "the batch's record of it holds settings the batch did not "
                   "choose: ") +
               foreign.join(QStringLiteral(", "));
    if (server.before.keys() != server.after.keys())
        return QStringLiteral("the batch's record of it lacks values before or after");
    return {};
}

UndoJudgement judgeUndo(const model::ServerSettings& now, const BatchServer& batch) {
    model::MergeResult merged =
        model::mergeSettings(withValues(now, batch.after), now, withValues(now, batch.before));
    return {merged.settled(model::MergeSide::Theirs), std::move(merged.conflicts)};
}

QList<jexlink::Conflict> namedConflicts(const QList<model::MergeConflict>& conflicts,
                                        const QJsonArray& records, qint64 since) {
    QList<jexlink::AuditRecord> read;
    for (const QJsonValue& value : records)
        if (auto record = jexlink::readAuditRecord(value.toObject());
            record.version.value_or(-1) > since)
            read.append(std::move(record));
    const auto changedBy = [&](const model::MergeConflict& conflict) {
        for (const jexlink::AuditRecord& record : read)
            if (jexlink::touchesSetting(record, conflict.key, conflict.entry)) return record;
        return jexlink::AuditRecord{};
    };
    QList<jexlink::Conflict> listed;
    for (const model::MergeConflict& conflict : conflicts) {
        const jexlink::AuditRecord by = changedBy(conflict);
        listed.append(
            {model::conflictLabel(conflict), model::shownConflictValue(conflict, conflict.base),
             model::shownConflictValue(conflict, conflict.theirs),
             model::shownConflictValue(conflict, conflict.yours), by.operatorName, by.time});
    }
    return listed;
}

}  // namespace jexhost::fleet
