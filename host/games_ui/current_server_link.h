#pragma once
// The link of the server selected in the list, for the docks that follow one
// server (Console, Players): which server it is, a sender over its link, and
// word when that link welcomes the console or goes down. A list edited under
// it (the link made anew) is followed again.

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <optional>

#include "host/games/output_feed.h"

namespace jexhost {
class HostSession;
namespace servers {
class ServerListPanel;
}
}  // namespace jexhost

namespace jexhost::games_ui {

class CurrentServerLink : public QObject {
    Q_OBJECT
public:
    CurrentServerLink(HostSession& session, servers::ServerListPanel* list,
                      QObject* parent = nullptr);
    // Looks at the list's current server again; says `followed` or `none`
    // when it is another than before.
    void refresh();
    const QString& id() const { return id_; }

signals:
    void followed(const jexhost::games_ui::FollowedServer& server);
    void none();
    void welcomed(const jexlink::Welcome& welcome);
    void down(jexhost::LinkFailure failure);

private:
    void letGo();

    HostSession& session_;
    servers::ServerListPanel* list_;
    QPointer<RemoteLink> link_;
    QList<QMetaObject::Connection> connections_;
    QString id_;
};

}  // namespace jexhost::games_ui
