#pragma once
// Routes each request the panel writes to the remote of the server it names
// (its tag and profile), records it in the traffic view and hands the answer
// back with that server's id. A request that names no server of the list is
// not the host's to carry. When a review is set, each settings update waits
// for it: approved, it goes on; refused, the panel is answered as the remote
// side answers an update it refuses.

#include <QList>
#include <QObject>

#include <functional>
#include <optional>

#include "exchange/wire/request.h"
#include "host/link/remote_link.h"
#include "host/servers/server_entry.h"

namespace jexhost {

namespace traffic {
class TrafficModel;
}
class LinkPool;

class RequestRouter : public QObject {
    Q_OBJECT
public:
    // `traffic` may be null (no traffic view).
    RequestRouter(LinkPool& pool, traffic::TrafficModel* traffic, QString serversFile,
                  QObject* parent = nullptr);

    // Whether the update `body` for the server named `serverName` may go.
    using UpdateReview = std::function<bool(const QString& serverName, const QString& body)>;

    void setServers(const QList<servers::ServerEntry>& servers) { servers_ = servers; }
    // No review (empty) sends every update as it comes.
    void setUpdateReview(UpdateReview review) { review_ = std::move(review); }
    // The server whose tag and profile the request names.
    std::optional<servers::ServerEntry> serverFor(const kdrsm::wire::Request& request) const;
    bool accepts(const kdrsm::wire::Request& request) const {
        return serverFor(request).has_value();
    }
    void carry(const QString& text, const kdrsm::wire::Request& request);

signals:
    // The answer to a `command` request of server `serverId`; empty when none
    // came, with the reason in `failure`.
    void answered(const QString& serverId, const QString& command, const QString& answer,
                  jexhost::LinkFailure failure);

private:
    void send(const servers::ServerEntry& server, const QString& text, const QString& command);
    void review(const servers::ServerEntry& server, const QString& text,
                const kdrsm::wire::Request& request);

    LinkPool& pool_;
    traffic::TrafficModel* traffic_;
    QString serversFile_;
    QList<servers::ServerEntry> servers_;
    UpdateReview review_;
};

}  // namespace jexhost
