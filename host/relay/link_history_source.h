#pragma once
// A server's history and reverts over the link to its remote side: each
// request goes as its own link message and its answer, matched by id, comes
// back as historyArrived or revertAnswered; a link that cannot be made,
// drops or times out, and an answer that cannot be read, come back as
// failed(). One source serves one History dialog. Every request shows in
// the traffic view when one is set.

#include <QPointer>
#include "host/history/history_source.h"

#include "host/link/remote_link.h"
#include "host/traffic/traffic_model.h"

namespace jexhost {

class LinkPool;

class LinkHistorySource final : public history::HistorySource {
    Q_OBJECT
public:
    LinkHistorySource(LinkPool& pool, QString remote, QString tokenFile, QObject* parent = nullptr);

    // The host tag the server's requests carry (fetches and updates).
    void setTag(const QString& tag) { tag_ = tag; }
    // The traffic view its requests show in, under the server's name.
    void setTraffic(traffic::TrafficModel* traffic, const QString& serverName) {
        traffic_ = traffic;
        serverName_ = serverName;
    }

    void requestHistory(int profile) override;
    void requestRevert(int profile, qint64 version) override;
    void requestVersion(int profile, qint64 version) override;
    void requestSettings(int profile) override;
    void requestUpdate(int profile, const QString& body, qint64 base) override;

private:
    void send(const ComposeMessage& compose, std::function<void(const QString&)> onAnswer);

    LinkPool& pool_;
    QString remote_;
    QString tokenFile_;
    QString tag_;
    QPointer<traffic::TrafficModel> traffic_;
    QString serverName_;
};

}  // namespace jexhost
