#include "host/relay/request_router.h"

#include <QPointer>
#include <QTimer>

#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/request_carrier.h"
#include "host/servers/servers_file.h"
#include "host/traffic/traffic_model.h"
#include "remote/server_manager.h"

namespace jexhost {

namespace {

traffic::TrafficState trafficFailure(LinkFailure failure) {
    switch (failure) {
        case LinkFailure::TimedOut:
            return traffic::TrafficState::TimedOut;
        case LinkFailure::Refused:
            return traffic::TrafficState::Refused;
        default:
            return traffic::TrafficState::Unreachable;
    }
}

}  // namespace

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
// the carrier's scan, so that other requests keep going meanwhile.
void RequestRouter::review(const servers::ServerEntry& server, const QString& text,
                           const kdrsm::wire::Request& request) {
    QTimer::singleShot(0, this, [this, server, text, body = request.data] {
        if (!review_ || review_(server.name, body))
            return send(server, text, kdrsm::wire::kSetSettings);
        qCInfo(lcHost) << "update for" << server.name << "cancelled by the operator";
        if (traffic_) traffic_->cancelled(traffic_->requestSent(server.name, text));
        emit answered(server.id, kdrsm::wire::kSetSettings, jexremote::kRefusedAnswer,
                      LinkFailure::None);
    });
}

void RequestRouter::send(const servers::ServerEntry& server, const QString& text,
                         const QString& command) {
    const quint64 trafficId = traffic_ ? traffic_->requestSent(server.name, text) : 0;
    QPointer<traffic::TrafficModel> traffic(traffic_);
    QPointer<RequestRouter> self(this);
    pool_.send(server.remote, servers::tokenFilePath(server, serversFile_), text,
               [=, id = server.id](const QString& answer, LinkFailure failure) {
                   qCInfo(lcHost).noquote()
                       << "answer to" << command << ":" << answerOutcome(command, answer);
                   if (traffic) {
                       if (failure == LinkFailure::None)
                           traffic->answered(trafficId, answer);
                       else
                           traffic->failed(trafficId, trafficFailure(failure));
                   }
                   if (self) emit self->answered(id, command, answer, failure);
               });
}

}  // namespace jexhost
