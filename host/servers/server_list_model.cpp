#include "host/servers/server_list_model.h"

#include <climits>

#include <QHash>

#include <algorithm>

namespace jexhost::servers {

namespace {

QString clock(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString nextTry(const LinkStatus& status) {
    return status.nextTry.isValid() ? QStringLiteral(", next try ") + clock(status.nextTry)
                                    : QString();
}

}  // namespace

QString linkStatusText(const LinkStatus& status) {
    switch (status.state) {
        case LinkState::Idle:
            return QStringLiteral("not connected");
        case LinkState::Connecting:
            return QStringLiteral("connecting");
        case LinkState::Connected:
            return status.operatorName.isEmpty()
                       ? QStringLiteral("connected")
                       : QStringLiteral("connected as ") + status.operatorName;
        case LinkState::Unreachable:
            return (status.since.isValid()
                        ? QStringLiteral("unreachable since ") + clock(status.since)
                        : QStringLiteral("unreachable")) +
                   nextTry(status);
        case LinkState::Refused:
            return (status.removed ? QStringLiteral("operator removed")
                                   : QStringLiteral("token refused")) +
                   nextTry(status);
        case LinkState::TimedOut:
            return QStringLiteral("timed out") + nextTry(status);
    }
    return {};
}

ServerListModel::ServerListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ServerListModel::setServers(const QList<ServerEntry>& servers) {
    QHash<QString, Row> previous;
    for (const Row& row : rows_) previous.insert(row.entry.id, row);
    beginResetModel();
    rows_.clear();
    rowOfId_.clear();
    rows_.reserve(servers.size());
    for (const ServerEntry& entry : servers) {
        Row row = previous.value(entry.id);
        // A server moved to another link has no state there yet.
        if (row.entry.remote != entry.remote || row.entry.tokenFile != entry.tokenFile) row = Row{};
        row.entry = entry;
        rowOfId_.insert(entry.id, int(rows_.size()));
        rows_.append(row);
    }
    endResetModel();
    countMarks(int(std::count_if(rows_.cbegin(), rows_.cend(),
                                 [](const Row& row) { return !row.changeMark.isEmpty(); })));
}

void ServerListModel::countMarks(int markedRows) {
    const bool wasShown = hasChangeMarks();
    markedRows_ = markedRows;
    if (hasChangeMarks() != wasShown) emit changeMarksShown(hasChangeMarks());
}

QList<ServerEntry> ServerListModel::servers() const {
    QList<ServerEntry> list;
    for (const Row& row : rows_) list.append(row.entry);
    return list;
}

int ServerListModel::rowOf(const QString& id) const {
    return rowOfId_.value(id, -1);
}

void ServerListModel::setLinkStatus(const QString& id, const LinkStatus& status) {
    setLinkStatus(QStringList{id}, status);
}

void ServerListModel::setLinkStatus(const QStringList& ids, const LinkStatus& status) {
    QList<int> changed;
    for (const QString& id : ids) {
        const int row = rowOf(id);
        if (row < 0 || rows_[row].status == status) continue;
        rows_[row].status = status;
        changed << row;
    }
    // One change per run of neighbouring rows, whole rows: the list's filter
    // matches the state on any column and looks again at these rows only.
    std::sort(changed.begin(), changed.end());
    for (qsizetype i = 0; i < changed.size();) {
        qsizetype end = i + 1;
        while (end < changed.size() && changed[end] == changed[end - 1] + 1) ++end;
        emit dataChanged(index(changed[i], 0), index(changed[end - 1], ColumnCount - 1),
                         {Qt::DisplayRole, Qt::ToolTipRole});
        i = end;
    }
}

void ServerListModel::setChangeMark(const QString& id, const QString& mark) {
    const int row = rowOf(id);
    if (row < 0 || rows_[row].changeMark == mark) return;
    const int counted = markedRows_ + int(!mark.isEmpty()) - int(!rows_[row].changeMark.isEmpty());
    rows_[row].changeMark = mark;
    const QModelIndex cell = index(row, ChangedColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::ToolTipRole});
    countMarks(counted);
}

void ServerListModel::setGameCell(const QString& id, const GameCell& cell) {
    const int row = rowOf(id);
    if (row < 0 || rows_[row].game == cell) return;
    rows_[row].game = cell;
    const QModelIndex shown = index(row, GameColumn);
    emit dataChanged(shown, shown, {Qt::DisplayRole, Qt::ToolTipRole});
}

void ServerListModel::gamesChanged(const QSet<QString>& ids) {
    int first = INT_MAX, last = -1;
    for (const QString& id : ids) {
        const int row = rowOf(id);
        if (row < 0) continue;
        rows_[row].game.reset();
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last >= 0)
        emit dataChanged(index(first, GameColumn), index(last, GameColumn),
                         {Qt::DisplayRole, Qt::ToolTipRole});
}

const GameCell& ServerListModel::gameCellOf(const Row& row) const {
    if (!row.game) row.game = gameSource_ ? gameSource_(row.entry.id) : GameCell{};
    return *row.game;
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
        case GameColumn: {
            const GameCell& game = gameCellOf(row);
            if (role == Qt::ToolTipRole) return game.toolTip;
            return game.marked ? game.text + u' ' + QChar(kGameMark) : game.text;
        }
        case KindColumn:
            return row.entry.game;
        case RemoteColumn:
            return QStringLiteral("%1, profile %2").arg(row.entry.remote).arg(row.entry.profile);
        case ChangedColumn:
            return row.changeMark;
        case LinkColumn:
            if (role == Qt::ToolTipRole && !row.status.detail.isEmpty())
                return linkStatusText(row.status) + u'\n' + row.status.detail;
            return linkStatusText(row.status);
    }
    return {};
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[ColumnCount] = {"Name", "Link",         "Changed",
                                                     "Game", "Plug-in game", "Remote"};
    if (section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(kTitles[section]);
}

}  // namespace jexhost::servers
