#include "host/servers/server_list_model.h"

#include <QHash>

namespace jexhost::servers {

QString linkStateText(LinkState state) {
    switch (state) {
        case LinkState::Idle:
            return QStringLiteral("not connected");
        case LinkState::Connecting:
            return QStringLiteral("connecting");
        case LinkState::Connected:
            return QStringLiteral("connected");
        case LinkState::Unreachable:
            return QStringLiteral("unreachable");
        case LinkState::Refused:
            return QStringLiteral("refused");
    }
    return {};
}

ServerListModel::ServerListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ServerListModel::setServers(const QList<ServerEntry>& servers) {
    QHash<QString, Row> previous;
    for (const Row& row : rows_) previous.insert(row.entry.id, row);
    beginResetModel();
    rows_.clear();
    for (const ServerEntry& entry : servers) {
        Row row = previous.value(entry.id);
        // A server moved to another remote has no link yet.
        if (row.entry.remote != entry.remote) row = Row{};
        row.entry = entry;
        rows_.append(row);
    }
    endResetModel();
}

QList<ServerEntry> ServerListModel::servers() const {
    QList<ServerEntry> list;
    for (const Row& row : rows_) list.append(row.entry);
    return list;
}

int ServerListModel::rowOf(const QString& id) const {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].entry.id == id) return i;
    return -1;
}

void ServerListModel::setLinkState(const QString& id, LinkState state,
                                   const QString& operatorName) {
    if (const int row = rowOf(id); row >= 0) setRowLink(row, state, operatorName);
}

void ServerListModel::setRemoteLinkState(const QString& remote, LinkState state,
                                         const QString& operatorName) {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].entry.remote == remote) setRowLink(i, state, operatorName);
}

void ServerListModel::setRowLink(int row, LinkState state, const QString& operatorName) {
    Row& r = rows_[row];
    // The operator is known only while welcomed.
    r.state = state;
    r.operatorName = state == LinkState::Connected ? operatorName : QString();
    const QModelIndex cell = index(row, LinkColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int ServerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ServerListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ServerListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const Row& row = rows_[index.row()];
    if (role == IdRole) return row.entry.id;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
        case NameColumn:
            return row.entry.name;
        case GameColumn:
            return row.entry.game;
        case RemoteColumn:
            return QStringLiteral("%1, profile %2").arg(row.entry.remote).arg(row.entry.profile);
        case LinkColumn:
            if (row.state == LinkState::Connected && !row.operatorName.isEmpty())
                return QStringLiteral("%1 as %2").arg(linkStateText(row.state), row.operatorName);
            return linkStateText(row.state);
    }
    return {};
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[ColumnCount] = {"Name", "Game", "Remote", "Link"};
    if (section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(kTitles[section]);
}

}  // namespace jexhost::servers
