#include "host/traffic/traffic_details.h"

#include <QStringList>

#include "exchange/model/setting_names.h"
#include "exchange/wire/settings_text.h"
#include "link/link_words.h"

namespace jexhost::traffic {

namespace model = kdrsm::model;
namespace wire = kdrsm::wire;

namespace {

// A weapon list is cut after this many names, so that a long body cannot
// swell the view's bounded rows.
constexpr qsizetype kMaxWeaponNames = 64;

QString restrictedNames(const QList<model::Restriction>& entries) {
    QStringList names;
    qsizetype restricted = 0;
    for (const model::Restriction& entry : entries) {
        if (!entry.restricted) continue;
        if (++restricted <= kMaxWeaponNames) names << model::oneLine(entry.name, 100);
    }
    if (restricted > kMaxWeaponNames)
        names << QStringLiteral("and %1 more").arg(restricted - kMaxWeaponNames);
    return names.join(QStringLiteral(", "));
}

QList<FieldLine> updateFields(const changes::Snapshot& settings) {
    QList<FieldLine> lines;
    for (int i = 0; i < model::kUpdateFieldCount; ++i)
        lines.append(
            {model::settingLabel(i), model::oneLine(model::shownField(i, settings.field(i)))});
    lines.append({QString::fromLatin1(model::kWeaponsLabel), restrictedNames(settings.weapons())});
    lines.append({QString::fromLatin1(model::kRolesLabel), restrictedNames(settings.roles())});
    lines.append({QString::fromLatin1(model::kAutoLoadLabel),
                  model::checkText(settings.autoLoad() ? 1 : 0)});
    return lines;
}

QString characters(qsizetype count) {
    return count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(count);
}

bool isNoData(const QString& answer) {
    return answer.isEmpty() || answer == jexlink::kFailedAnswer;
}

}  // namespace

RequestDetails describeRequest(const std::optional<wire::Request>& request, qsizetype textSize,
                               const changes::Snapshot* update) {
    if (!request)
        return {{}, QStringLiteral("not a request text (%1)").arg(characters(textSize)), {}};

    RequestDetails details{request->command, {}, {}};
    const QString profile = QStringLiteral("profile %1").arg(request->profileIndex);
    if (request->command == wire::kGetSettings) {
        details.summary = QStringLiteral("settings fetch, %1").arg(profile);
    } else if (request->command == wire::kSetSettings && update) {
        if (const auto* fault = update->fault()) {
            details.summary = QStringLiteral("settings update, %1, body not readable (%2)")
                                  .arg(profile, changes::faultText(*fault));
        } else {
            const auto weapons = update->weapons();
            const auto restricted =
                std::count_if(weapons.cbegin(), weapons.cend(),
                              [](const model::Restriction& weapon) { return weapon.restricted; });
            details.summary = QStringLiteral("settings update, %1, %2 restricted weapons")
                                  .arg(profile)
                                  .arg(restricted);
            details.fields = updateFields(*update);
        }
    } else {
        // Another command's data has no known shape, so none of it is shown.
        details.summary =
            QStringLiteral("%1, %2 of data").arg(profile, characters(request->data.size()));
    }
    return details;
}

QString describeAnswer(const QString& command, const QString& answerText) {
    if (command == wire::kGetSettings) {
        if (isNoData(answerText)) return QStringLiteral("no data");
        const wire::SettingsReply reply = wire::splitSettingsReply(answerText);
        return QStringLiteral("%1 fields, %2 roles, %3 weapons")
            .arg(reply.fields.size())
            .arg(reply.roles.size())
            .arg(reply.weapons.size());
    }
    if (command == wire::kSetSettings) {
        if (isNoData(answerText)) return QStringLiteral("no data");
        return answerText == jexlink::kUpdatedAnswer ? QStringLiteral("updated")
                                                     : QStringLiteral("not updated");
    }
    return characters(answerText.size());
}

}  // namespace jexhost::traffic
