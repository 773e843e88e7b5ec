#pragma once
// The server list as a table: name, game, remote and the state of the link
// to that remote, with the operator's name once the remote has welcomed us,
// a mark when someone else changed the server's settings, and what the
// server's game is doing.
// Entries come from the servers file; link states from whoever runs the links.

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QSet>

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "host/servers/server_entry.h"

namespace jexhost::servers {

enum class LinkState {
    Idle,  // no link opened yet
    Connecting,
    Connected,    // welcomed; the operator's name is known
    Unreachable,  // the remote cannot be reached or the link dropped
    Refused,      // the remote closed the link at the token, or there is none to present
    TimedOut,     // a request or the welcome did not come in time
};

// A link's state as the list shows it.
struct LinkStatus {
    LinkState state = LinkState::Idle;
    QString operatorName;  // while connected
    QString detail;        // refused: by which remote, or why no token was presented
    QDateTime since;       // the first failure of the current run
    QDateTime nextTry;     // the next attempt; invalid when none is planned
    QString refusal = {};  // refused: the remote side's words ("operator bob was removed ...")
    bool removed = false;  // refused: the operator was taken out of the remote's token file
    friend bool operator==(const LinkStatus&, const LinkStatus&) = default;
};

// "connected as ann", "unreachable since 10:04:05, next try 10:04:10", ...;
// what the Link column shows.
QString linkStatusText(const LinkStatus& status);

// What the Game column shows of a server's game: "running 2 h 13 min, 5/16",
// a mark when settings wait for a restart or its file drifted (the tooltip
// says which); nothing for a server without a game.
struct GameCell {
    QString text;
    QString toolTip;
    bool marked = false;
    friend bool operator==(const GameCell&, const GameCell&) = default;
};

class ServerListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The link second: it stays in sight in a narrow list.
    // GameColumn is what the server's game does; KindColumn the game it is
    // (the servers file's Game, which picks the panel).
    enum Column {
        NameColumn,
        LinkColumn,
        ChangedColumn,
        GameColumn,
        KindColumn,
        RemoteColumn,
        ColumnCount
    };
    // The mark beside a game whose settings wait for a restart or whose file drifted.
    static constexpr char16_t kGameMark = u'*';
    // The entry's id under this role, on every column.
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit ServerListModel(QObject* parent = nullptr);

    // Replaces the list; servers still present (by id) on the same remote
    // with the same token file keep their link state.
    void setServers(const QList<ServerEntry>& servers);
    QList<ServerEntry> servers() const;
    const ServerEntry& server(int row) const { return rows_.at(row).entry; }
    int rowOf(const QString& id) const;  // -1 when absent; looked up, not searched

    void setLinkStatus(const QString& id, const LinkStatus& status);
    // The same for every server of one link, told as one change: a filtered
    // view takes hundreds of rows in one pass instead of one by one.
    void setLinkStatus(const QStringList& ids, const LinkStatus& status);
    const LinkStatus& linkStatus(int row) const { return rows_.at(row).status; }
    // "changed by alice 16:02"; empty clears the mark.
    void setChangeMark(const QString& id, const QString& mark);
    bool hasChangeMarks() const { return markedRows_ > 0; }
    // The Game column's cell of server `id`; an empty cell clears it.
    void setGameCell(const QString& id, const GameCell& cell);
    // Where the Game column's cells come from otherwise: asked only for the
    // rows a view shows, so a thousand games changing cost only those in sight.
    using GameCellSource = std::function<GameCell(const QString& id)>;
    void setGameCellSource(GameCellSource source) { gameSource_ = std::move(source); }
    // These servers' games changed: their cells are asked for again when
    // next shown; said in one change, so a view re-measures its columns once.
    void gamesChanged(const QSet<QString>& ids);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // The first mark came or the last one went: the list shows its Changed
    // column only while there is something in it.
    void changeMarksShown(bool shown);

private:
    void countMarks(int markedRows);

    struct Row {
        ServerEntry entry;
        LinkStatus status;
        QString changeMark;
        mutable std::optional<GameCell> game;  // none: to be asked of the source
    };
    const GameCell& gameCellOf(const Row& row) const;

    QList<Row> rows_;
    int markedRows_ = 0;
    GameCellSource gameSource_;
    QHash<QString, int> rowOfId_;  // thousands of servers: each link change finds its rows at once
};

}  // namespace jexhost::servers
