#include "host/relay/link_traffic.h"

#include "host/sync/sync_texts.h"
#include "host/traffic/traffic_model.h"
#include "link/link_messages.h"

namespace jexhost {

namespace {

QString batchMark(const QString& batch) {
    return batch.isEmpty() ? QString() : QStringLiteral(", batch ") + batch;
}

}  // namespace

quint64 showLinkMessage(traffic::TrafficModel* model, const QString& server, const QString& message,
                        const QString& batch) {
    if (!model) return 0;
    if (const auto request = jexlink::readRequestMessage(message))
        return model->requestSent(server, request->text,
                                  request->batch.isEmpty() ? batch : request->batch);
    const qint64 bytes = message.toUtf8().size();
    if (const auto history = jexlink::readHistoryRequest(message))
        return model->messageSent(
            server, QStringLiteral("History"),
            QStringLiteral("history, profile %1").arg(history->profile) + batchMark(batch), bytes);
    if (const auto revert = jexlink::readRevertRequest(message))
        return model->messageSent(server, QStringLiteral("Revert"),
                                  QStringLiteral("revert profile %1 to version %2")
                                          .arg(revert->profile)
                                          .arg(revert->version) +
                                      batchMark(batch),
                                  bytes);
    if (const auto kept = jexlink::readKeptSettingsRequest(message))
        return model->messageSent(
            server, QStringLiteral("Kept version"),
            QStringLiteral("version %1 of profile %2").arg(kept->version).arg(kept->profile) +
                batchMark(batch),
            bytes);
    return model->messageSent(server, {}, QStringLiteral("a link message"), bytes);
}

void showLinkAnswer(traffic::TrafficModel* model, quint64 row, const QString& answer,
                    LinkFailure failure) {
    if (!model) return;
    switch (failure) {
        case LinkFailure::None:
            break;
        case LinkFailure::TimedOut:
            model->failed(row, traffic::TrafficState::TimedOut);
            return;
        case LinkFailure::Refused:
            model->failed(row, traffic::TrafficState::Refused);
            return;
        case LinkFailure::Unreachable:
        case LinkFailure::TurnedAway:
            model->failed(row, traffic::TrafficState::Unreachable);
            return;
    }
    const qint64 bytes = answer.toUtf8().size();
    if (const auto read = jexlink::readAnswerMessage(answer)) {
        model->answered(
            row, read->text,
            read->conflicts.isEmpty() ? QString() : sync::conflictSummary(read->conflicts), false);
    } else if (const auto history = jexlink::readHistoryAnswer(answer)) {
        const jexlink::History& h = history->second;
        model->messageAnswered(row, bytes,
                               h.refusal.isEmpty() ? QStringLiteral("%1 records, %2 versions")
                                                         .arg(h.records.size())
                                                         .arg(h.versions.size())
                                                   : QStringLiteral("refused: ") + h.refusal);
    } else if (const auto revert = jexlink::readRevertAnswer(answer)) {
        model->messageAnswered(row, bytes,
                               revert->second.ok
                                   ? QStringLiteral("reverted")
                                   : QStringLiteral("not reverted: ") + revert->second.reason);
    } else if (const auto kept = jexlink::readKeptSettingsAnswer(answer)) {
        model->messageAnswered(row, bytes,
                               kept->second.refusal.isEmpty()
                                   ? QStringLiteral("the settings of that version")
                                   : QStringLiteral("refused: ") + kept->second.refusal);
    } else {
        model->messageAnswered(row, bytes, QStringLiteral("an answer that cannot be read"));
    }
}

}  // namespace jexhost
