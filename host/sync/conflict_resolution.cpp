#include "host/sync/conflict_resolution.h"

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_merge.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"

namespace jexhost::sync {

namespace model = kdrsm::model;

namespace {

void takeYours(QList<model::Restriction>& entries, const model::MergeConflict& conflict) {
    for (auto& entry : entries)
        if (entry.name == conflict.entry) entry.restricted = conflict.yours == u"1";
}

}  // namespace

model::Read<Resolution> resolveConflicts(const QString& baseReply, const QString& currentReply,
                                         const QString& body, Keep keep) {
    const auto base = model::settingsOfReply(baseReply);
    if (const auto* fault = std::get_if<model::Fault>(&base)) return *fault;
    const auto current = model::settingsOfReply(currentReply);
    if (const auto* fault = std::get_if<model::Fault>(&current)) return *fault;
    const auto yours = model::settingsOfUpdate(body, std::get<model::ServerSettings>(base));
    if (const auto* fault = std::get_if<model::Fault>(&yours)) return *fault;

    const auto& now = std::get<model::ServerSettings>(current);
    // The merge keeps the server's value wherever both changed a setting.
    model::MergeResult merge = model::mergeSettings(std::get<model::ServerSettings>(base), now,
                                                    std::get<model::ServerSettings>(yours));
    if (keep == Keep::Mine) {
        for (const auto& conflict : merge.conflicts) {
            if (conflict.field >= 0)
                merge.merged.fields[static_cast<size_t>(conflict.field)] = conflict.yours;
            else if (conflict.key == QLatin1StringView(model::kRolesKey))
                takeYours(merge.merged.roles, conflict);
            else if (conflict.key == QLatin1StringView(model::kWeaponsKey))
                takeYours(merge.merged.weapons, conflict);
            else
                merge.merged.autoLoad = conflict.yours == u"1";
        }
    }
    return Resolution{model::updateBody(merge.merged), merge.merged != now};
}

}  // namespace jexhost::sync
