#pragma once
// What the Console dock follows of one server's game: the last lines of its
// output, asked for once with "follow", then the lines the remote side pushes,
// kept up to a bound; and the command lines sent to the game's console.
// Widget-free: it talks to the server's link through a sender and is told of
// the link's welcomes, failures and pushes by whoever holds the link.
//
// Following lasts as long as the connection: after the link was down, or
// when a new welcome comes (the operator's privileges changed), the feed asks
// again and the kept lines are replaced by the remote side's last ones.
// Without the privilege to control game servers nothing is asked and the
// feed says why.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

#include "host/link/remote_link.h"

namespace jexhost::games_ui {

inline constexpr int kKeptOutputLines = 1000;

enum class FeedState {
    NoServer,   // none is followed
    NoControl,  // the operator lacks the privilege
    Asking,     // the last lines are asked for
    Following,
    Refused,  // the remote side refused, see stateText()
    Down,     // the link is down or the answer did not come
};

// Sends a link message made around its id; the reply comes as RemoteLink gives it.
using LinkSender = std::function<void(const ComposeMessage& compose, ReplyCallback onReply)>;

// The server a dock follows: which it is, and a sender over its link.
struct FollowedServer {
    QString id;
    QString name;
    QString remote;
    int profile = -1;
    LinkSender send;
    std::optional<jexlink::Welcome> welcome;  // none while its link is not welcomed
};

// Why a command line cannot be sent, in the operator's words; empty when it can.
QString commandLineProblem(const QString& line);

class OutputFeed : public QObject {
    Q_OBJECT
public:
    explicit OutputFeed(QObject* parent = nullptr);

    // Follows the server's game output. The feed of the server followed
    // before, if any, is stopped on its own link.
    void follow(const FollowedServer& server);
    // Follows nothing; the server followed so far is told to stop.
    void stop();

    // The followed server's link welcomed the console (a new connection, or
    // the operator's privileges changed).
    void welcomed(const jexlink::Welcome& welcome);
    // The followed server's link went down: following ends with the connection.
    void linkDown(LinkFailure failure);
    // Lines the remote side pushed for `profile` of the followed server's link.
    void pushed(int profile, const QStringList& lines);

    // Sends one line to the game's console; `commandAnswered` tells how it
    // went. Refused at once, in words, without the privilege or for a line
    // the game's console does not take.
    void sendCommand(const QString& line);

    const QString& name() const { return server_.name; }
    int profile() const { return server_.profile; }
    FeedState state() const { return state_; }
    // "Following the output of Lobby.", "ann lacks the privilege to control game servers", ...
    QString stateText() const;
    // At most kKeptOutputLines, oldest first.
    const QStringList& lines() const { return lines_; }

signals:
    // The kept lines were replaced (a new server, or its last lines came).
    void linesReset();
    // `count` lines were added at the end (older ones may have gone).
    void linesAdded(int count);
    void stateChanged();
    // A command line was answered: sent to the game, or why not.
    void commandAnswered(const QString& line, bool ok, const QString& reason);

private:
    void ask();
    void setState(FeedState state, const QString& reason = {});
    void answered(qint64 asked, const QString& answer, LinkFailure failure);
    QString refusalText() const;

    FollowedServer server_;
    FeedState state_ = FeedState::NoServer;
    QString reason_;
    qint64 asking_ = 0;  // which ask an answer belongs to; later asks outdate earlier ones
    QStringList lines_;
};

// The command lines sent, for Up and Down in the command line: Up walks to
// older ones, Down back to newer ones and at last to the line being typed.
class CommandHistory {
public:
    static constexpr int kKept = 100;

    // A line sent: kept as the newest (not twice in a row); the walk starts over.
    void add(const QString& line);
    // The line one older than the one shown; `typed` is what the command
    // line holds when the walk starts. The oldest stays the oldest.
    QString older(const QString& typed);
    // The line one newer; past the newest, what was typed; `current` when
    // no walk is under way.
    QString newer(const QString& current);
    const QStringList& lines() const { return lines_; }

private:
    QStringList lines_;  // oldest first
    int shown_ = -1;     // index into lines_ while walking, -1 when not
    QString typed_;
};

}  // namespace jexhost::games_ui
