#include "host/fleet/undo_judgement.h"

#include <QJsonObject>

#include "host/fleet/fleet_settings.h"

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
    const auto changedBy = [&](const model::MergeConflict& conflict) -> QJsonObject {
        for (const QJsonValue& value : records) {
            const QJsonObject record = value.toObject();
            if (record.value(QStringLiteral("version")).toInteger(-1) <= since) continue;
            for (const QJsonValue& change : record.value(QStringLiteral("changes")).toArray())
                if (change[QStringLiteral("setting")].toString() == conflict.key &&
                    change[QStringLiteral("entry")].toString() == conflict.entry)
                    return record;
        }
        return {};
    };
    QList<jexlink::Conflict> listed;
    for (const model::MergeConflict& conflict : conflicts) {
        const QJsonObject by = changedBy(conflict);
        listed.append({model::conflictLabel(conflict),
                       model::shownConflictValue(conflict, conflict.base),
                       model::shownConflictValue(conflict, conflict.theirs),
                       model::shownConflictValue(conflict, conflict.yours),
                       by.value(QStringLiteral("operator")).toString(),
                       by.value(QStringLiteral("time")).toString()});
    }
    return listed;
}

}  // namespace jexhost::fleet
