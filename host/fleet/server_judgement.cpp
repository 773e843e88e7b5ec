#include "host/fleet/server_judgement.h"

#include "exchange/model/setting_names.h"
#include "remote/validation/privilege_guard.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;

Judgement judgeServer(const JudgeInput& input) {
    Judgement judgement;
    QStringList keys = input.keys;
    const auto take = [&] {
        auto next = input.make(keys);
        if (const auto* fault = std::get_if<model::Fault>(&next)) {
            judgement.reason = QStringLiteral("%1: %2").arg(fault->setting, fault->reason);
            return false;
        }
        judgement.desired = std::get<model::ServerSettings>(std::move(next));
        judgement.changes = shownChanges(input.current, *judgement.desired);
        return true;
    };
    if (!take()) return judgement;
    if (judgement.changes.isEmpty()) {
        judgement.outcome = Outcome::Unchanged;
        return judgement;
    }
    const QString who = input.welcome.operatorName.isEmpty() ? QStringLiteral("the operator")
                                                             : input.welcome.operatorName;
    QStringList leftOut;
    while (const auto field =
               jexremote::forbiddenChange(input.welcome, input.current, *judgement.desired)) {
        const QString label = model::captionWords(model::settingLabel(*field));
        if (leftOut.isEmpty())
            judgement.reason =
                QStringLiteral("%1 lacks the privilege to change %2").arg(who, label);
        // Left out, the other chosen settings may still go.
        if (!input.leaveOutForbidden || !keys.removeOne(model::settingKey(*field)) || !take())
            return judgement;
        leftOut << label;
        if (judgement.changes.isEmpty()) return judgement;
    }
    if (!leftOut.isEmpty()) {
        judgement.leftOut = QStringLiteral("left out %1, which %2 may not change")
                                .arg(leftOut.join(QStringLiteral(", ")), who);
        judgement.reason.clear();
    }
    judgement.outcome = Outcome::Waiting;
    return judgement;
}

}  // namespace jexhost::fleet
