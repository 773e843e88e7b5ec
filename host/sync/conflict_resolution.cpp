#include "host/sync/conflict_resolution.h"

#include "exchange/model/settings_merge.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"

namespace jexhost::sync {

namespace model = kdrsm::model;

model::Read<Resolution> resolveConflicts(const QString& baseReply, const QString& currentReply,
                                         const QString& body, Keep keep) {
    const auto base = model::settingsOfReply(baseReply);
    if (const auto* fault = std::get_if<model::Fault>(&base)) return *fault;
    const auto current = model::settingsOfReply(currentReply);
    if (const auto* fault = std::get_if<model::Fault>(&current)) return *fault;
    const auto yours = model::settingsOfUpdate(body, std::get<model::ServerSettings>(base));
    if (const auto* fault = std::get_if<model::Fault>(&yours)) return *fault;

    const auto& now = std::get<model::ServerSettings>(current);
    // Where both changed a setting, the side the operator chose stands.
    const model::ServerSettings settled =
        model::mergeSettings(std::get<model::ServerSettings>(base), now,
                             std::get<model::ServerSettings>(yours))
            .settled(keep == Keep::Mine ? model::MergeSide::Yours : model::MergeSide::Theirs);
    return Resolution{model::updateBody(settled), settled != now};
}

}  // namespace jexhost::sync
