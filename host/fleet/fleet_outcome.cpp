#include "host/fleet/fleet_outcome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_difference.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;

namespace {

constexpr std::array<std::pair<Outcome, const char*>, 7> kWords = {{
    {Outcome::Waiting, "waiting"},
    {Outcome::Applied, "applied"},
    {Outcome::Unchanged, "unchanged"},
    {Outcome::DryRun, "dry-run"},
    {Outcome::Refused, "refused"},
    {Outcome::Conflict, "conflict"},
    {Outcome::Unreachable, "unreachable"},
}};

// A JSON value as compact text; the line keeps its keys in the documented order.
QString json(const QJsonValue& value) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

}  // namespace

QString outcomeWord(Outcome outcome) {
    for (const auto& [value, word] : kWords)
        if (value == outcome) return QString::fromLatin1(word);
    return {};
}

Outcome outcomeOfWord(const QString& word) {
    for (const auto& [value, text] : kWords)
        if (word == QLatin1StringView(text)) return value;
    return Outcome::Waiting;
}

bool isSuccess(Outcome outcome) {
    return outcome == Outcome::Applied || outcome == Outcome::Unchanged ||
           outcome == Outcome::DryRun;
}

QList<ShownChange> shownChanges(const model::ServerSettings& before,
                                const model::ServerSettings& after) {
    QList<ShownChange> shown;
    for (const model::SettingChange& change : model::differences(before, after)) {
        const QString label = model::captionWords(model::changeLabel(change));
        const bool secret = change.kind == model::ChangeKind::Secret;
        shown.append({label, model::shownBefore(change),
                      secret ? QStringLiteral("changed") : model::shownAfter(change)});
    }
    return shown;
}

QString outcomeLine(const ServerOutcome& outcome, const QString& batch) {
    QStringList changes;
    for (const ShownChange& change : outcome.changes)
        changes << QStringLiteral("{\"setting\": %1, \"old\": %2, \"new\": %3}")
                       .arg(json(change.setting), json(change.before), json(change.after));
    return QStringLiteral(
               "{\"server\": %1, \"outcome\": %2, \"changes\": [%3], \"reason\": %4, "
               "\"batch\": %5}")
        .arg(json(outcome.server.name), json(outcomeWord(outcome.outcome)),
             changes.join(QStringLiteral(", ")),
             outcome.reason.isEmpty() ? QStringLiteral("null") : json(outcome.reason),
             batch.isEmpty() ? QStringLiteral("null") : json(batch));
}

}  // namespace jexhost::fleet
