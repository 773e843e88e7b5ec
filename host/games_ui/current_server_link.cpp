#include "host/games_ui/current_server_link.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>

#include "host/host_session.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/server_list_panel.h"

namespace jexhost::games_ui {

CurrentServerLink::CurrentServerLink(HostSession& session, servers::ServerListPanel* list,
                                     QObject* parent)
    : QObject(parent), session_(session), list_(list) {
    connect(list_->view()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CurrentServerLink::refresh);
}

void CurrentServerLink::letGo() {
    for (const auto& connection : std::as_const(connections_)) disconnect(connection);
    connections_.clear();
    link_.clear();
}

void CurrentServerLink::refresh() {
    const QString id = list_->currentId();
    if (id == id_ && link_) return;
    letGo();
    id_ = id;
    const auto entry = session_.server(id);
    if (!entry) return emit none();
    RemoteLink* link = session_.links()->link(
        entry->remote, servers::tokenFilePath(*entry, session_.serversFile()));
    link_ = link;
    LinkSender send = [link = QPointer<RemoteLink>(link)](const ComposeMessage& compose,
                                                          ReplyCallback onReply) {
        if (link) return link->sendMessage(compose, std::move(onReply));
        onReply({}, LinkFailure::Refused);
    };
    emit followed({id, entry->name, entry->remote, entry->profile, std::move(send),
                   link && link->isReady() ? link->welcome() : std::nullopt});
    if (!link) return;
    if (!link->isReady()) link->open();
    connections_ << connect(link, &RemoteLink::welcomed, this, &CurrentServerLink::welcomed)
                 << connect(link, &RemoteLink::down, this,
                            [this, link] { emit down(link->lastFailure()); })
                 << connect(link, &QObject::destroyed, this, [this] {
                        // The list changed under it: its link was made anew.
                        id_.clear();
                        QTimer::singleShot(0, this, &CurrentServerLink::refresh);
                    });
}

}  // namespace jexhost::games_ui
