#pragma once
// The server list as a table: name, game, remote and the state of the link
// to that remote, with the operator's name once the remote has welcomed us.
// Entries come from the servers file; link states from whoever runs the links.

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include "host/servers/server_entry.h"

namespace jexhost::servers {

enum class LinkState {
    Idle,  // no link opened yet
    Connecting,
    Connected,    // welcomed; the operator's name is known
    Unreachable,  // the remote cannot be reached or the link dropped
    Refused,      // the remote closed the link at the token
};

// "connected", "connecting", ...; what the Link column shows.
QString linkStateText(LinkState state);

class ServerListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, GameColumn, RemoteColumn, LinkColumn, ColumnCount };
    // The entry's id under this role, on every column.
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit ServerListModel(QObject* parent = nullptr);

    // Replaces the list; servers still present (by id) keep their link state.
    void setServers(const QList<ServerEntry>& servers);
    QList<ServerEntry> servers() const;
    const ServerEntry& server(int row) const { return rows_.at(row).entry; }
    int rowOf(const QString& id) const;  // -1 when absent

    // One server's link, or every server's on one remote (links are per remote).
    void setLinkState(const QString& id, LinkState state, const QString& operatorName = {});
    void setRemoteLinkState(const QString& remote, LinkState state,
                            const QString& operatorName = {});
    LinkState linkState(int row) const { return rows_.at(row).state; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        ServerEntry entry;
        LinkState state = LinkState::Idle;
        QString operatorName;
    };
    void setRowLink(int row, LinkState state, const QString& operatorName);

    QList<Row> rows_;
};

}  // namespace jexhost::servers
