#pragma once
// The host's link to the remote side: a WebSocket client that presents the
// host's token, takes the remote side's welcome (the operator and their
// privileges), then sends each request as {"id", "request"} and hands the
// matching {"id", "answer"} to the request's callback. Other link messages
// (a server's history, a revert, a settings request that names its base
// version) go the same way: the caller composes the
// message around the id it is given and gets back the whole answer message
// that carries that id.
//
// A request never goes unanswered: while the link is opening it waits in a
// queue; when the link cannot be opened, is refused, drops, or the answer
// does not come within the timeout, the callback gets an empty answer (which
// the panel shows as "no data received") and a late answer is ignored. Every
// callback is called from the event loop, never from inside the socket's own
// signals, so that a box it opens cannot outlive the connection under it. A
// timeout aborts the link, since the socket may hang: the next request opens
// a fresh one. Each failure in a row makes the next attempt wait longer, up to
// a cap; a welcome resets the wait. An idle open link is pinged, and one whose
// pong does not come before the next ping is dropped. A link told to stay open
// reconnects by itself after each failure, after the same wait.

#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <functional>
#include <optional>

#include "link/game_messages.h"
#include "link/link_messages.h"

namespace jexhost {

using AnswerCallback = std::function<void(const QString& answer)>;

// Why a request got no answer, or why the link last went down.
enum class LinkFailure {
    None,
    TimedOut,     // no answer within the timeout
    Unreachable,  // the link could not be opened or dropped
    Refused,      // the remote side refused the token, or its operator was removed
    TurnedAway,   // closed at login without a refusal (too many connections): tried again
};
// Why a link message got no answer, in the operator's words, `remote`
// naming the other end: "no answer from ws://host:port in time".
QString linkFailureText(LinkFailure failure, const QString& remote);
// The answer and, when it is empty for want of one, why.
using ReplyCallback = std::function<void(const QString& answer, LinkFailure failure)>;
// Makes a link message around the id that will match its answer.
using ComposeMessage = std::function<QString(qint64 id)>;

struct LinkOptions {
    QUrl url;
    QString token;
    int timeoutMs = 10000;  // per request, and for the welcome
    int keepAliveMs = 15000;
    int firstRetryMs = 250;  // wait after the first failure in a row; doubles after each
    int maxRetryMs = 5000;
    bool stayOpen = false;  // reconnect after each failure without waiting for a request
};

// The wait before the next attempt after `failures` failures in a row.
int retryDelayMs(int failures, int firstMs, int maxMs);

class RemoteLink : public QObject {
    Q_OBJECT
public:
    explicit RemoteLink(LinkOptions options, QObject* parent = nullptr);
    ~RemoteLink() override;

    void send(const QString& request, AnswerCallback onAnswer);
    void send(const QString& request, ReplyCallback onReply);
    // Sends the message `compose` makes; `onReply` gets the whole answer
    // message with its id, or an empty text and the failure, as a request.
    // `timeoutMs` above 0 replaces the link's own timeout for this message,
    // 0 sets none (an answer that comes when a game empties; a link that
    // goes down still answers it empty).
    void sendMessage(const ComposeMessage& compose, ReplyCallback onReply, int timeoutMs = -1);
    // Opens the link now (or after the current wait) without a request.
    void open();
    // Opens a closed link at once, skipping the wait after failures.
    void openAtOnce();
    // Closes the link for good: no further attempt; every waiting request is
    // answered empty.
    void close(const QString& reason);

    const QUrl& url() const { return options_.url; }
    int pendingCount() const { return static_cast<int>(pending_.size()); }
    bool isReady() const { return state_ == State::Ready; }
    bool isClosed() const { return state_ == State::Closed; }
    // Why the link last went down; None before the first failure.
    LinkFailure lastFailure() const { return lastFailure_; }
    // When the remote side refused the login: its words ("a wrong token",
    // "operator bob was removed from this remote"). Such a link waits for
    // openAtOnce (Retry, or its token file changed) instead of trying again.
    const QString& refusal() const { return refusal_; }
    bool removed() const { return removed_; }
    // The latest welcome; nothing before the first.
    const std::optional<jexlink::Welcome>& welcome() const { return welcome_; }
    // Links opened and welcomed so far.
    int linksOpened() const { return linksOpened_; }
    // When the current run of failures began; invalid while none.
    const QDateTime& failingSince() const { return failingSince_; }
    // When the next attempt is due; invalid when none is planned.
    QDateTime nextAttempt() const;

signals:
    // The first welcome of a connection, and any later one on it (the
    // operator's privileges changed on the remote side).
    void welcomed(const jexlink::Welcome& welcome);
    // The link went down (refused, dropped, timed out); `reason` is for logs.
    void down(const QString& reason);
    // The remote side stored a change someone else made to a server's settings.
    void changed(const jexlink::ChangedNotice& notice);
    // The remote side's unasked word on a game: its GAME changed.
    void gamePushed(const jexlink::GameStatus& game);
    // New lines of a game's output, while this link follows it.
    void outputPushed(int profile, const QStringList& lines);

private:
    enum class State { Closed, Connecting, Handshaking, Ready };
    struct Pending {
        ReplyCallback onReply;
        QTimer* deadline = nullptr;
        bool whole = false;  // the callback takes the whole answer message
    };
    void enqueue(const ComposeMessage& compose, ReplyCallback onReply, bool whole,
                 int timeoutMs = -1);
    void openNow();
    void onConnected();
    void refusedAtLogin();
    void onMessage(const QString& message);
    void onWelcome(const QString& message);
    void onWelcomeAgain(jexlink::Welcome welcome);
    void readHeldGames();
    // A message of a welcomed link: an answer, a push or a notice.
    void read(const QString& message);
    void keepAlive();
    void flushQueue();
    void finish(qint64 id, const QString& answer, LinkFailure failure = LinkFailure::None);
    // Aborts the socket, answers every waiting request empty and makes the
    // next attempt wait. Does nothing when the link is already closed.
    void drop(const QString& reason, LinkFailure failure = LinkFailure::Unreachable);
    void answerEveryPending(LinkFailure failure);

    LinkOptions options_;
    QWebSocket socket_;
    State state_ = State::Closed;
    std::optional<jexlink::Welcome> welcome_;
    LinkFailure lastFailure_ = LinkFailure::None;
    QString refusal_;
    bool removed_ = false;
    int failuresInARow_ = 0;
    int linksOpened_ = 0;
    QDateTime failingSince_;
    QDeadlineTimer retryAt_;  // no attempt before this
    QTimer retry_;
    QTimer handshakeDeadline_;
    QTimer ping_;
    bool awaitingPong_ = false;
    QStringList heldGames_;  // game pushes not yet read, in order
    QTimer readGames_;       // reads them at the next quarter second
    qint64 nextId_ = 1;
    QHash<qint64, Pending> pending_;
    QList<std::pair<qint64, QString>> queue_;  // not yet sent: id, message
};

}  // namespace jexhost
