#pragma once
// Start, stop, restart or kill the games of a list of servers: one `control`
// request per server, all sent at once so that the remote sides work in
// parallel (servers on one remote share its link). An answer may take up to
// two minutes (a start waits for the game's ready line); a "when empty" one
// has no deadline of its own. Each server ends with an outcome:
//   done         the remote side did it (a start once the game is ready)
//   waiting      "when empty" accepted: the game carries the pending action
//   refused      the remote side would not (no `control` privilege, no game
//                there, the token refused)
//   unreachable  no link to the remote side, or no answer in time
//   failed       tried and failed (no ready sign, ...), with the reason

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

#include "host/link/remote_link.h"
#include "host/servers/server_entry.h"
#include "link/game_messages.h"

namespace jexhost {
class LinkPool;
}

namespace jexhost::games {

enum class ActionOutcome { Done, Waiting, Refused, Unreachable, Failed };
// "done", "waiting", "refused", "unreachable", "failed".
QString outcomeWord(ActionOutcome outcome);

struct ActionResult {
    QString serverId;
    QString server;  // its name
    QString action;  // start, stop, restart, kill
    ActionOutcome outcome = ActionOutcome::Failed;
    QString state = {};   // the game's state the remote side answered; empty: none
    QString reason = {};  // why, when not done; empty: none
    bool operator==(const ActionResult&) const = default;
};

// How the reply to a control request reads: its outcome, state and reason.
// `answer` is the whole answer message, empty when none came for `failure`;
// `remote` names the remote side in the reason.
ActionResult judgeControlReply(const QString& answer, LinkFailure failure, const QString& remote);

class GameActions : public QObject {
    Q_OBJECT
public:
    explicit GameActions(LinkPool& pool, QObject* parent = nullptr);

    // Sends `action` (one of jexlink::kControlActions) for every server, with
    // "when": "empty" for stop and restart when asked. False while a run is
    // under way. Each result comes as serverDone, all of them as finished.
    bool run(const QList<servers::ServerEntry>& servers, const QString& serversFile,
             const QString& action, bool whenEmpty);
    bool isRunning() const { return waiting_ > 0; }
    // The results so far, in the order the servers were given; the servers
    // not answered yet are left out.
    QList<ActionResult> results() const;

signals:
    void serverDone(const jexhost::games::ActionResult& result);
    void progress(int finished, int total);
    void finished(const QList<jexhost::games::ActionResult>& results);

private:
    void conclude(int index, ActionResult result);
    void gamePushed(const QString& key, const jexlink::GameStatus& game);

    LinkPool& pool_;
    QList<servers::ServerEntry> servers_;
    QStringList keys_;  // each server's link
    QList<std::optional<ActionResult>> results_;
    QString action_;
    bool whenEmpty_ = false;
    int waiting_ = 0;
    quint64 run_ = 0;  // answers of an earlier run are dropped
};

}  // namespace jexhost::games
