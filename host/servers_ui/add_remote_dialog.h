#pragma once
// Server > Add a remote's servers...: the operator gives a remote side's
// address and token file, List asks it for its profiles, and Add puts the
// ticked ones into the servers file in one write, named and given a game as
// jexhost --add-remote does. Profiles the list holds already show ticked and
// greyed. The answer may come late or never while the dialog waits in its
// own loop: one that finds the dialog closed, or another List asked since,
// does nothing.

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

#include "host/servers/server_entry.h"
#include "link/game_messages.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace jexhost {
class LinkPool;
}

namespace jexhost::servers {

class AddRemoteDialog : public QDialog {
    Q_OBJECT
public:
    AddRemoteDialog(LinkPool* links, QString serversFile, QStringList catalogueGames,
                    QWidget* parent = nullptr);
    // The servers Add wrote, in the file's order.
    const QList<ServerEntry>& added() const { return added_; }

    enum Column { NameColumn, ProfileColumn, DefinitionColumn, NoteColumn };

private:
    void chooseTokenFile();
    void listProfiles();
    void showProfiles(const QList<jexlink::ProfileEntry>& profiles);
    void addChosen();
    void say(const QString& text);

    QPointer<LinkPool> links_;
    QString serversFile_;
    QStringList catalogueGames_;
    QLineEdit* address_;
    QLineEdit* tokenFile_;
    QTableWidget* table_;
    QLabel* status_;
    QPushButton* add_;
    int asked_ = 0;        // the List whose answer counts
    QString remote_;       // what the table shows: this remote's profiles,
    QString listedToken_;  // asked with this token file
    QList<jexlink::ProfileEntry> profiles_;
    QList<ServerEntry> added_;
};

}  // namespace jexhost::servers
