#include "host/link/remote_link.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>

#include <algorithm>
#include <utility>

#include "host/log.h"
#include "link/link_words.h"

namespace jexhost {

QString linkFailureText(LinkFailure failure, const QString& remote) {
    switch (failure) {
        case LinkFailure::TimedOut:
            return QStringLiteral("no answer from %1 in time").arg(remote);
        case LinkFailure::Refused:
            return QStringLiteral("%1 refused the console's token").arg(remote);
        case LinkFailure::Unreachable:
        case LinkFailure::TurnedAway:
        case LinkFailure::None:
            break;
    }
    return QStringLiteral("cannot reach %1").arg(remote);
}

int retryDelayMs(int failures, int firstMs, int maxMs) {
    if (failures <= 0) return 0;
    qint64 delay = firstMs;
    for (int i = 1; i < failures && delay < maxMs; ++i) delay *= 2;
    return static_cast<int>(std::min<qint64>(delay, maxMs));
}

namespace {

constexpr int kGameReadMs = 250;            // held game pushes are read each quarter second
constexpr qsizetype kMostGamesHeld = 4096;  // or as soon as this many wait

// How every game push begins: the one key of its object.
const QString& gamePushStart() {
    static const QString start = QStringLiteral("{\"%1\":").arg(jexlink::field::kGame);
    return start;
}

// The id an answer message carries, whatever its kind.
std::optional<qint64> messageId(const QJsonObject& message) {
    const QJsonValue id = message.value(QStringLiteral("id"));
    if (!id.isDouble()) return std::nullopt;
    return id.toInteger();
}

}  // namespace

RemoteLink::RemoteLink(LinkOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    socket_.setMaxAllowedIncomingMessageSize(jexlink::kDefaultMaxMessageBytes);
    connect(&socket_, &QWebSocket::connected, this, &RemoteLink::onConnected);
    connect(&socket_, &QWebSocket::textMessageReceived, this, &RemoteLink::onMessage);
    connect(&socket_, &QWebSocket::pong, this, [this] { awaitingPong_ = false; });
    // A socket that fails reports an error and a disconnection, in either order.
    const auto lost = [this] {
        switch (state_) {
            case State::Connecting:
                // Taken, then closed before the upgrade: the remote side is
                // there and turned the connection away for now.
                if (socket_.error() == QAbstractSocket::RemoteHostClosedError)
                    return drop(QStringLiteral("closed by the remote side before the upgrade "
                                               "(too many connections?)"),
                                LinkFailure::TurnedAway);
                return drop(socket_.errorString());
            case State::Handshaking:
                return refusedAtLogin();
            default:
                return drop(QStringLiteral("closed by the remote side"));
        }
    };
    connect(&socket_, &QWebSocket::disconnected, this, lost);
    connect(&socket_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this, lost);

    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &RemoteLink::openNow);
    handshakeDeadline_.setSingleShot(true);
    connect(&handshakeDeadline_, &QTimer::timeout, this,
            [this] { drop(QStringLiteral("no welcome in time"), LinkFailure::TimedOut); });
    connect(&ping_, &QTimer::timeout, this, &RemoteLink::keepAlive);
    readGames_.setSingleShot(true);
    readGames_.setTimerType(Qt::PreciseTimer);
    connect(&readGames_, &QTimer::timeout, this, &RemoteLink::readHeldGames);
}

RemoteLink::~RemoteLink() {
    socket_.disconnect(this);
    socket_.abort();
}

// The close frame says whether the token was refused or its operator
// removed; a login closed without either was turned away for now.
void RemoteLink::refusedAtLogin() {
    const int code = socket_.closeCode();
    if (code != jexlink::kTokenRefusedCode && code != jexlink::kOperatorRemovedCode)
        return drop(QStringLiteral("closed at login without a welcome (too many connections?)"),
                    LinkFailure::TurnedAway);
    removed_ = code == jexlink::kOperatorRemovedCode;
    refusal_ = socket_.closeReason().left(jexlink::kMaxCloseReasonLength);
    drop(removed_ ? refusal_ : QStringLiteral("closed without a welcome (is the token right?)"),
         LinkFailure::Refused);
}

void RemoteLink::send(const QString& request, AnswerCallback onAnswer) {
    send(request, [onAnswer = std::move(onAnswer)](const QString& answer, LinkFailure) {
        onAnswer(answer);
    });
}

void RemoteLink::send(const QString& request, ReplyCallback onReply) {
    enqueue([&request](qint64 id) { return jexlink::requestMessage(id, request); },
            std::move(onReply), false);
}

void RemoteLink::sendMessage(const ComposeMessage& compose, ReplyCallback onReply, int timeoutMs) {
    enqueue(compose, std::move(onReply), true, timeoutMs);
}

void RemoteLink::enqueue(const ComposeMessage& compose, ReplyCallback onReply, bool whole,
                         int timeoutMs) {
    const qint64 id = nextId_++;
    const int wait = timeoutMs < 0 ? options_.timeoutMs : timeoutMs;
    auto* deadline = new QTimer(this);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, id, wait] {
        qCWarning(lcHost) << "request" << id << "unanswered after" << wait << "ms";
        finish(id, QString(), LinkFailure::TimedOut);
        drop(QStringLiteral("a request timed out"),
             LinkFailure::TimedOut);  // the socket may hang: start afresh
    });
    if (wait > 0) deadline->start(wait);
    pending_.insert(id, {std::move(onReply), deadline, whole});
    if (!refusal_.isEmpty()) return finish(id, QString(), LinkFailure::Refused);  // held
    queue_.append({id, compose(id)});
    if (state_ == State::Ready)
        flushQueue();
    else
        open();
}

void RemoteLink::open() {
    if (state_ != State::Closed || retry_.isActive() || !refusal_.isEmpty()) return;
    retry_.start(static_cast<int>(retryAt_.remainingTime()));
}

void RemoteLink::openAtOnce() {
    if (state_ != State::Closed) return;
    refusal_.clear();
    removed_ = false;
    retry_.stop();
    openNow();
}

void RemoteLink::openNow() {
    if (state_ != State::Closed) return;
    state_ = State::Connecting;
    handshakeDeadline_.start(options_.timeoutMs);
    socket_.open(QNetworkRequest(options_.url));  // no Origin: the remote side refuses browsers
}

void RemoteLink::onConnected() {
    if (state_ != State::Connecting) return;
    state_ = State::Handshaking;
    socket_.sendTextMessage(jexlink::tokenMessage(options_.token));
}

void RemoteLink::onMessage(const QString& message) {
    awaitingPong_ = false;  // any message shows the link alive
    if (state_ == State::Handshaking) return onWelcome(message);
    if (state_ != State::Ready) return;
    // A game push is held and read with the others at the next quarter second
    // of the clock, the moment every link reads its own: the remotes of a
    // fleet push at moments of their own, and the console is busy with them
    // four times a second, not at each. Anything else is read at once, after
    // the pushes that came before it.
    if (message.startsWith(gamePushStart())) {
        heldGames_ << message;
        if (heldGames_.size() >= kMostGamesHeld) return readHeldGames();
        if (!readGames_.isActive())
            readGames_.start(kGameReadMs - int(QDateTime::currentMSecsSinceEpoch() % kGameReadMs));
        return;
    }
    readHeldGames();
    read(message);
}

void RemoteLink::readHeldGames() {
    readGames_.stop();
    for (const QString& message : std::exchange(heldGames_, {})) read(message);
}

void RemoteLink::read(const QString& message) {
    // Parsed once for its id and a game's state: a fleet's remote sides push
    // a thousand states a second, and every other reader parses it again.
    const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
    const auto id = messageId(object);
    if (!id) {
        if (auto game = jexlink::readParsedGamePush(object)) return emit gamePushed(*game);
        // The remote side welcomes an open connection again when the
        // operator's privileges change there.
        if (auto again = jexlink::readWelcomeMessage(message)) return onWelcomeAgain(*again);
        // Another operator stored a change of one of this remote's servers.
        if (auto notice = jexlink::readChangedMessage(message)) return emit changed(*notice);
        if (auto output = jexlink::readOutputPush(message))
            return emit outputPushed(output->first, output->second);
    }
    const auto waiting = id ? pending_.constFind(*id) : pending_.cend();
    if (waiting != pending_.cend() && waiting->whole) return finish(*id, message);
    const auto answer = jexlink::readAnswerMessage(message);
    if (!answer) {
        qCWarning(lcHost) << "not an answer message," << message.size() << "characters";
        return;
    }
    finish(answer->id, answer->text);
}

void RemoteLink::onWelcome(const QString& message) {
    auto welcome = jexlink::readWelcomeMessage(message);
    if (!welcome) return drop(QStringLiteral("the first message was not a welcome"));
    handshakeDeadline_.stop();
    state_ = State::Ready;
    refusal_.clear();
    removed_ = false;
    failuresInARow_ = 0;
    retryAt_ = QDeadlineTimer(0);
    ++linksOpened_;
    welcome_ = std::move(*welcome);
    failingSince_ = QDateTime();
    qCInfo(lcHost) << "link to" << options_.url.toString() << "open for operator"
                   << welcome_->operatorName
                   << (welcome_->superAdmin ? "(super administrator)" : "");
    awaitingPong_ = false;
    ping_.start(options_.keepAliveMs);
    emit welcomed(*welcome_);
    flushQueue();
}

void RemoteLink::onWelcomeAgain(jexlink::Welcome welcome) {
    qCInfo(lcHost) << "link to" << options_.url.toString() << "welcomed again: operator"
                   << welcome.operatorName << (welcome.superAdmin ? "(super administrator)" : "");
    welcome_ = std::move(welcome);
    emit welcomed(*welcome_);
}

QDateTime RemoteLink::nextAttempt() const {
    if (state_ != State::Closed || !retry_.isActive()) return {};
    return QDateTime::currentDateTime().addMSecs(retry_.remainingTime());
}

void RemoteLink::keepAlive() {
    if (state_ != State::Ready) return;
    if (awaitingPong_) return drop(QStringLiteral("no pong to the last ping"));
    awaitingPong_ = true;
    socket_.ping();
}

void RemoteLink::flushQueue() {
    const auto queued = std::exchange(queue_, {});
    for (const auto& [id, message] : queued)
        if (pending_.contains(id)) socket_.sendTextMessage(message);
}

// The callback runs from the event loop, never from here: it may open a box,
// and the box's event loop would run with the socket's own signal (an error,
// a message) still on the stack below it. A new attempt made meanwhile
// replaces the socket's connection under that signal, and the box's OK
// returns into a connection that is gone. The deadline stops at once: a timer
// merely marked for deletion still fires inside such a loop.
void RemoteLink::finish(qint64 id, const QString& answer, LinkFailure failure) {
    const auto found = pending_.constFind(id);
    if (found == pending_.cend()) return;  // answered already, or timed out
    const Pending request = *found;
    pending_.erase(found);
    request.deadline->stop();
    request.deadline->deleteLater();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [onReply = request.onReply, answer, failure] { onReply(answer, failure); },
        Qt::QueuedConnection);
}

void RemoteLink::drop(const QString& reason, LinkFailure failure) {
    if (state_ == State::Closed) return;
    readHeldGames();  // they came while the link was up
    state_ = State::Closed;
    lastFailure_ = failure;
    handshakeDeadline_.stop();
    ping_.stop();
    socket_.abort();
    ++failuresInARow_;
    if (!failingSince_.isValid()) failingSince_ = QDateTime::currentDateTime();
    const int wait = retryDelayMs(failuresInARow_, options_.firstRetryMs, options_.maxRetryMs);
    retryAt_ = QDeadlineTimer(wait);
    qCWarning(lcHost) << "link to" << options_.url.toString() << "down:" << reason
                      << "- next attempt in" << wait << "ms";
    // A refused login waits for a new token or Retry; one turned away keeps
    // its requests for the next attempt, within their own time.
    const bool again =
        options_.stayOpen || (failure == LinkFailure::TurnedAway && !pending_.isEmpty());
    if (again && refusal_.isEmpty()) retry_.start(wait);
    emit down(reason);
    if (failure != LinkFailure::TurnedAway) answerEveryPending(failure);
}

void RemoteLink::answerEveryPending(LinkFailure failure) {
    queue_.clear();
    QList<qint64> ids = pending_.keys();
    std::sort(ids.begin(), ids.end());  // in the order they were sent
    for (qint64 id : ids) finish(id, QString(), failure);
}

void RemoteLink::close(const QString& reason) {
    options_.stayOpen = false;
    retry_.stop();
    if (state_ != State::Closed) return drop(reason);
    answerEveryPending(LinkFailure::Unreachable);  // those waiting for the next attempt
}

}  // namespace jexhost
