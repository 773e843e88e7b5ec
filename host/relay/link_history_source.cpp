#include "host/relay/link_history_source.h"

#include <QPointer>

#include "exchange/wire/request.h"
#include "host/relay/link_pool.h"
#include "host/relay/link_traffic.h"

namespace jexhost {

LinkHistorySource::LinkHistorySource(LinkPool& pool, QString remote, QString tokenFile,
                                     QObject* parent)
    : HistorySource(parent),
      pool_(pool),
      remote_(std::move(remote)),
      tokenFile_(std::move(tokenFile)) {}

void LinkHistorySource::requestHistory(int profile) {
    send([profile](qint64 id) { return jexlink::historyRequestMessage(id, profile); },
         [this](const QString& message) {
             const auto answer = jexlink::readHistoryAnswer(message);
             if (!answer) return emit failed(QStringLiteral("the answer could not be read"));
             emit historyArrived(answer->second);
         });
}

void LinkHistorySource::requestRevert(int profile, qint64 version) {
    send(
        [profile, version](qint64 id) {
            return jexlink::revertRequestMessage({id, profile, version});
        },
        [this](const QString& message) {
            const auto answer = jexlink::readRevertAnswer(message);
            if (!answer) return emit failed(QStringLiteral("the answer could not be read"));
            emit revertAnswered(answer->second);
        });
}

void LinkHistorySource::requestVersion(int profile, qint64 version) {
    send(
        [profile, version](qint64 id) {
            return jexlink::keptSettingsRequestMessage({id, profile, version});
        },
        [this, version](const QString& message) {
            const auto answer = jexlink::readKeptSettingsAnswer(message);
            if (!answer) return emit failed(QStringLiteral("the answer could not be read"));
            if (!answer->second.refusal.isEmpty()) return emit failed(answer->second.refusal);
            emit versionArrived(version, answer->second.answer);
        });
}

void LinkHistorySource::requestSettings(int profile) {
    const QString request =
        kdrsm::wire::requestText(kdrsm::wire::kGetSettings, tag_, profile, QString());
    send([request](qint64 id) { return jexlink::requestMessage(id, request); },
         [this](const QString& message) {
             const auto answer = jexlink::readAnswerMessage(message);
             if (!answer || answer->text.isEmpty())
                 return emit failed(QStringLiteral("no settings came back"));
             emit settingsArrived(answer->text, answer->version.value_or(0));
         });
}

void LinkHistorySource::requestUpdate(int profile, const QString& body, qint64 base) {
    const QString request =
        kdrsm::wire::requestText(kdrsm::wire::kSetSettings, tag_, profile, body);
    send([request, base](qint64 id) { return jexlink::requestMessage(id, request, base); },
         [this](const QString& message) {
             const auto answer = jexlink::readAnswerMessage(message);
             if (!answer) return emit failed(QStringLiteral("the answer could not be read"));
             emit updateAnswered(*answer);
         });
}

// The link outlives the dialog: an answer that comes after it closed finds
// no source and is dropped.
void LinkHistorySource::send(const ComposeMessage& compose,
                             std::function<void(const QString&)> onAnswer) {
    QPointer<LinkHistorySource> self(this);
    QPointer<traffic::TrafficModel> shown = traffic_;
    const quint64 row = showLinkMessage(shown, serverName_, compose(0));
    pool_.sendMessage(remote_, tokenFile_, compose,
                      [self, shown, row, onAnswer = std::move(onAnswer)](const QString& message,
                                                                         LinkFailure failure) {
                          showLinkAnswer(shown, row, message, failure);
                          if (!self) return;
                          if (failure != LinkFailure::None)
                              return emit self->failed(
                                  linkFailureText(failure, QStringLiteral("the remote side")));
                          onAnswer(message);
                      });
}

}  // namespace jexhost
