#include "host/relay/request_router.h"

#include <QPointer>
#include <QTimer>

#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/link_traffic.h"
#include "host/relay/request_carrier.h"
#include "host/servers/servers_file.h"
#include "host/sync/sync_texts.h"
#include "host/traffic/traffic_model.h"
#include "link/link_words.h"

namespace jexhost {

RequestRouter::RequestRouter(LinkPool& pool, traffic::TrafficModel* traffic, QString serversFile,
                             QObject* parent)
    : QObject(parent), pool_(pool), traffic_(traffic), serversFile_(std::move(serversFile)) {}

std::optional<servers::ServerEntry> RequestRouter::serverFor(
    const kdrsm::wire::Request& request) const {
    for (const auto& server : servers_)
        if (server.tag == request.hostTag && server.profile == request.profileIndex) return server;
    return std::nullopt;
}

void RequestRouter::carry(const QString& text, const kdrsm::wire::Request& request) {
    const auto server = serverFor(request);
    if (!server) return;
    if (review_ && request.command == kdrsm::wire::kSetSettings)
        return review(*server, text, request);
    send(*server, text, request.command);
}

// The review waits for the operator: it runs from the event loop, not inside
// the carrier's scan, so that other requests keep going meanwhile. It shows
// the update merged with what the server holds now, so that is fetched first.
void RequestRouter::review(const servers::ServerEntry& server, const QString& text,
                           const kdrsm::wire::Request& request) {
    QPointer<RequestRouter> self(this);
    QTimer::singleShot(0, this, [this, self, server, text, body = request.data] {
        fetchSettings(server, [this, self, server, text, body](const jexlink::Envelope& current,
                                                               LinkFailure) {
            if (!self) return;
            // A copy: the dialog's loop may replace or drop the review, and
            // the router itself may go with the session.
            const UpdateReview review = review_;
            const bool approved = !review || review(server, body, current.text);
            if (!self) return;
            if (approved) return send(server, text, kdrsm::wire::kSetSettings);
            qCInfo(lcHost) << "update for" << server.name << "cancelled by the operator";
            if (traffic_) traffic_->cancelled(traffic_->requestSent(server.name, text));
            jexlink::Envelope refused;
            refused.text = jexlink::kRefusedAnswer;
            emit answered(server.id, kdrsm::wire::kSetSettings, refused, LinkFailure::None);
        });
    });
}

void RequestRouter::send(const servers::ServerEntry& server, const QString& text,
                         const QString& command) {
    const bool update = command == kdrsm::wire::kSetSettings;
    const std::optional<qint64> base = update && baseOf_ ? baseOf_(server.id) : std::nullopt;
    QPointer<RequestRouter> self(this);
    dispatch(server, text, command, base, true,
             [self, update, text, command, id = server.id](const jexlink::Envelope& answer,
                                                           LinkFailure failure) {
                 if (!self) return;
                 if (update && !answer.conflicts.isEmpty()) {
                     const auto request = kdrsm::wire::parseRequestText(text);
                     emit self->conflicted(id, request ? request->data : QString(),
                                           answer.conflicts);
                 }
                 emit self->answered(id, command, answer, failure);
             });
}

void RequestRouter::fetchSettings(const servers::ServerEntry& server, EnvelopeReply onReply) {
    dispatch(server,
             kdrsm::wire::requestText(kdrsm::wire::kGetSettings, server.tag, server.profile, {}),
             kdrsm::wire::kGetSettings, std::nullopt, false, std::move(onReply));
}

void RequestRouter::sendUpdate(const servers::ServerEntry& server, const QString& body,
                               std::optional<qint64> base, EnvelopeReply onReply) {
    dispatch(server,
             kdrsm::wire::requestText(kdrsm::wire::kSetSettings, server.tag, server.profile, body),
             kdrsm::wire::kSetSettings, base, true, std::move(onReply));
}

void RequestRouter::dispatch(const servers::ServerEntry& server, const QString& text,
                             const QString& command, std::optional<qint64> base, bool remember,
                             EnvelopeReply onReply) {
    const quint64 trafficId = traffic_ ? traffic_->requestSent(server.name, text) : 0;
    if (command == kdrsm::wire::kSetSettings)
        qCInfo(lcHost).noquote() << "update for" << server.name
                                 << (base ? QStringLiteral("made from version %1").arg(*base)
                                          : QStringLiteral("with no base"));
    QPointer<traffic::TrafficModel> traffic(traffic_);
    pool_.sendMessage(
        server.remote, servers::tokenFilePath(server, serversFile_),
        [&text, base](qint64 id) { return jexlink::requestMessage(id, text, base); },
        [=, onReply = std::move(onReply)](const QString& message, LinkFailure failure) {
            jexlink::Envelope answer;
            if (failure == LinkFailure::None) {
                if (auto read = jexlink::readAnswerMessage(message))
                    answer = std::move(*read);
                else
                    qCWarning(lcHost)
                        << "an answer that cannot be read," << message.size() << "characters";
            }
            const QString conflict =
                answer.conflicts.isEmpty() ? QString() : sync::conflictSummary(answer.conflicts);
            qCInfo(lcHost).noquote()
                << "answer to" << command << ":"
                << (conflict.isEmpty() ? answerOutcome(command, answer.text) : conflict);
            if (traffic) {
                if (failure == LinkFailure::None)
                    traffic->answered(trafficId, answer.text, conflict, remember);
                else
                    traffic->failed(trafficId, trafficStateOf(failure));
            }
            onReply(answer, failure);
        });
}

}  // namespace jexhost
