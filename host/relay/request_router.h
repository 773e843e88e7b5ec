#pragma once
// Routes each request the panel writes to the remote of the server it names
// (its tag and profile), records it in the traffic view and hands the answer
// back with that server's id. A request that names no server of the list is
// not the host's to carry. When a review is set, each settings update waits
// for it: approved, it goes on; refused, the panel is answered as the remote
// side answers an update it refuses.
//
// Each settings update names as its base the version of the settings last
// handed to its server's panel (the base lookup says which), so that the
// remote side merges it with what others changed meanwhile. The console may
// also fetch a server's settings and send an update of its own, past the
// panel: both travel the same way and show in the traffic view.

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

    // Whether the update `body` for server `server` may go; `currentReply` is
    // the settings the server holds now (empty when they could not be fetched).
    using UpdateReview = std::function<bool(const servers::ServerEntry& server, const QString& body,
                                            const QString& currentReply)>;
    // The version a server's updates are made from, when one is known.
    using BaseLookup = std::function<std::optional<qint64>(const QString& serverId)>;
    // A whole answer (its text, version and conflicts), or empty with the failure.
    using EnvelopeReply = std::function<void(const jexlink::Envelope& answer, LinkFailure failure)>;

    void setServers(const QList<servers::ServerEntry>& servers) { servers_ = servers; }
    // No review (empty) sends every update as it comes.
    void setUpdateReview(UpdateReview review) { review_ = std::move(review); }
    void setBaseLookup(BaseLookup lookup) { baseOf_ = std::move(lookup); }
    // The server whose tag and profile the request names.
    std::optional<servers::ServerEntry> serverFor(const kdrsm::wire::Request& request) const;
    bool accepts(const kdrsm::wire::Request& request) const {
        return serverFor(request).has_value();
    }
    void carry(const QString& text, const kdrsm::wire::Request& request);

    // The console's own fetch of a server's settings: shown in the traffic
    // view, but not taken as what the panel's updates are compared with.
    void fetchSettings(const servers::ServerEntry& server, EnvelopeReply onReply);
    // The console's own update, made from version `base`.
    void sendUpdate(const servers::ServerEntry& server, const QString& body,
                    std::optional<qint64> base, EnvelopeReply onReply);

signals:
    // The answer to a `command` request of server `serverId`; empty when none
    // came, with the reason in `failure`.
    void answered(const QString& serverId, const QString& command, const jexlink::Envelope& answer,
                  jexhost::LinkFailure failure);
    // The panel's update `body` of server `serverId` was refused for these
    // conflicts; comes just before its answer.
    void conflicted(const QString& serverId, const QString& body,
                    const QList<jexlink::Conflict>& conflicts);

private:
    void send(const servers::ServerEntry& server, const QString& text, const QString& command);
    // Sends `text` with `base`; `remember`: a settings answer is the panel's last fetch.
    void dispatch(const servers::ServerEntry& server, const QString& text, const QString& command,
                  std::optional<qint64> base, bool remember, EnvelopeReply onReply);
    void review(const servers::ServerEntry& server, const QString& text,
                const kdrsm::wire::Request& request);

    LinkPool& pool_;
    traffic::TrafficModel* traffic_;
    QString serversFile_;
    QList<servers::ServerEntry> servers_;
    UpdateReview review_;
    BaseLookup baseOf_;
};

}  // namespace jexhost
