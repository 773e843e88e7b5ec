#pragma once
// The server list as the window shows it: the table and its Add, Edit and
// Remove actions. Each change goes to the servers file first and reaches the
// list only once the file holds it; a refused change is shown and nothing
// else happens.

#include <QSet>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QModelIndex;
class QTableView;

namespace jexhost {
class LinkPool;
}

namespace jexhost::servers {

class ServerFilter;
class ServerListModel;

class ServerListPanel : public QWidget {
    Q_OBJECT
public:
    ServerListPanel(ServerListModel* model, const QString& serversFile, QWidget* parent = nullptr);

    // The games offered in the dialog's list (the plug-ins' game entries).
    void setKnownGames(const QStringList& games) { knownGames_ = games; }
    // The profiles the console's own remote side serves, for the dialog's note.
    void setEmbeddedProfiles(const QSet<int>& profiles) { embeddedProfiles_ = profiles; }
    // Asked before server `id` is edited or removed; false stops it.
    void setChangeGuard(std::function<bool(const QString& id)> guard) { guard_ = std::move(guard); }
    // The current server's id (the one Edit, Remove and Open act on); empty
    // when there is none.
    QString currentId() const;
    // Every selected server shown, in the list's order (fleet operations).
    QStringList selectedIds() const;
    void selectServer(const QString& id);
    QTableView* view() const { return view_; }
    QLineEdit* filterBox() const { return filterBox_; }
    // "2 of 3 servers shown, 1 selected", under the list.
    QLabel* count() const { return count_; }

public slots:
    void addServer();
    void editServer();
    void removeServer();
    // Server > Add a remote's servers...: the remote side is asked through `links`.
    void addRemoteServers(LinkPool* links);

signals:
    // Double-click or Enter on a row: the window opens that server's panel.
    void openRequested(const QString& id);
    // A server was removed (its panel, if open, has to go).
    void serverRemoved(const QString& id);
    // An edit changed this server; its link may need to be made anew.
    void serverChanged(const QString& id);
    // A change is done: a line for the status bar.
    void notice(const QString& text);

private:
    // Re-reads the file into the model after a change.
    void reload();
    void refuse(const QString& error);
    // The list's row of a row the view shows.
    int sourceRow(const QModelIndex& shown) const;
    void showCount();

    ServerListModel* model_;
    QString serversFile_;
    QStringList knownGames_;
    QSet<int> embeddedProfiles_;
    std::function<bool(const QString& id)> guard_;
    ServerFilter* filter_;
    QLineEdit* filterBox_;
    QTableView* view_;
    QLabel* count_;
};

}  // namespace jexhost::servers
