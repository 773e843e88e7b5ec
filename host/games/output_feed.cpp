#include "host/games/output_feed.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "link/game_messages.h"

namespace jexhost::games_ui {

namespace {

// The remote side's reason when it refused an output request
// ({"output": {"lines": [], "ok": false, "reason": TEXT}}); none otherwise.
std::optional<QString> outputRefusal(const QString& answer) {
    const QJsonObject output = QJsonDocument::fromJson(answer.toUtf8())
                                   .object()
                                   .value(QStringLiteral("output"))
                                   .toObject();
    if (output.value(QStringLiteral("ok")).toBool(true)) return std::nullopt;
    return output.value(QStringLiteral("reason"))
        .toString(QStringLiteral("refused without a reason"))
        .left(jexlink::kMaxGameTextLength);
}

}  // namespace

QString commandLineProblem(const QString& line) {
    if (line.trimmed().isEmpty()) return QObject::tr("Type a command first.");
    if (line.size() > jexlink::kMaxCommandLineLength)
        return QObject::tr("A command line holds at most %1 characters; this one has %2.")
            .arg(jexlink::kMaxCommandLineLength)
            .arg(line.size());
    for (const QChar c : line)
        if (c.category() == QChar::Other_Control)
            return QObject::tr("A command line holds no control characters (tabs, line breaks).");
    return {};
}

OutputFeed::OutputFeed(QObject* parent) : QObject(parent) {}

void OutputFeed::follow(const FollowedServer& server) {
    stop();
    server_ = server;
    if (!server_.welcome)
        setState(FeedState::Down, tr("waiting for the link to %1").arg(server_.remote));
    ask();
}

void OutputFeed::stop() {
    if (server_.send && (state_ == FeedState::Asking || state_ == FeedState::Following))
        server_.send(
            [profile = server_.profile](qint64 id) {
                return jexlink::outputRequestMessage({id, profile, 0, false});
            },
            [](const QString&, LinkFailure) {});
    ++asking_;
    server_ = {};
    const bool hadLines = !lines_.isEmpty();
    lines_.clear();
    if (hadLines) emit linesReset();
    setState(FeedState::NoServer);
}

void OutputFeed::welcomed(const jexlink::Welcome& welcome) {
    if (!server_.send) return;
    server_.welcome = welcome;
    ask();
}

void OutputFeed::linkDown(LinkFailure failure) {
    if (!server_.send) return;
    ++asking_;  // an answer still under way belongs to the connection gone
    server_.welcome.reset();
    setState(FeedState::Down, linkFailureText(failure, server_.remote));
}

void OutputFeed::pushed(int profile, const QStringList& lines) {
    if (state_ != FeedState::Following || profile != server_.profile || lines.isEmpty()) return;
    const QStringList taken = lines.mid(qMax(0, lines.size() - kKeptOutputLines));
    const qsizetype over = lines_.size() + taken.size() - kKeptOutputLines;
    if (over > 0) lines_.remove(0, over);
    lines_ += taken;
    emit linesAdded(int(taken.size()));
}

void OutputFeed::ask() {
    if (!server_.welcome) return;  // asked at the welcome
    if (!server_.welcome->control) return setState(FeedState::NoControl);
    const qint64 asked = ++asking_;
    setState(FeedState::Asking);
    server_.send(
        [profile = server_.profile](qint64 id) {
            return jexlink::outputRequestMessage({id, profile, kKeptOutputLines, true});
        },
        [this, guard = QPointer<OutputFeed>(this), asked](const QString& answer,
                                                          LinkFailure failure) {
            if (guard) answered(asked, answer, failure);
        });
}

void OutputFeed::answered(qint64 asked, const QString& answer, LinkFailure failure) {
    if (asked != asking_) return;  // another server, or another connection, since
    if (answer.isEmpty())
        return setState(FeedState::Down, linkFailureText(failure, server_.remote));
    if (const auto refusal = outputRefusal(answer)) return setState(FeedState::Refused, *refusal);
    const auto lines = jexlink::readOutputAnswer(answer);
    if (!lines)
        return setState(FeedState::Refused,
                        tr("%1 answered with no output lines").arg(server_.remote));
    lines_ = lines->second.mid(qMax(0, lines->second.size() - kKeptOutputLines));
    emit linesReset();
    setState(FeedState::Following);
}

void OutputFeed::setState(FeedState state, const QString& reason) {
    if (state == state_ && reason == reason_) return;
    state_ = state;
    reason_ = reason;
    emit stateChanged();
}

QString OutputFeed::refusalText() const {
    return tr("operator %1 lacks the privilege to control game servers")
        .arg(server_.welcome ? server_.welcome->operatorName : QString());
}

QString OutputFeed::stateText() const {
    switch (state_) {
        case FeedState::NoServer:
            return tr("Select a server to see its game's output.");
        case FeedState::NoControl:
            return tr("%1: %2.").arg(server_.name, refusalText());
        case FeedState::Asking:
            return tr("%1: asking for the game's last lines...").arg(server_.name);
        case FeedState::Following:
            return tr("%1: following the game's output.").arg(server_.name);
        case FeedState::Refused:
        case FeedState::Down:
            break;
    }
    return tr("%1: %2.").arg(server_.name, reason_);
}

void OutputFeed::sendCommand(const QString& line) {
    if (!server_.send) return emit commandAnswered(line, false, tr("Select a server first."));
    if (server_.welcome && !server_.welcome->control)
        return emit commandAnswered(line, false, refusalText());
    if (const QString problem = commandLineProblem(line); !problem.isEmpty())
        return emit commandAnswered(line, false, problem);
    server_.send(
        [profile = server_.profile, line](qint64 id) {
            return jexlink::commandRequestMessage({id, profile, line});
        },
        [this, guard = QPointer<OutputFeed>(this), line, remote = server_.remote](
            const QString& answer, LinkFailure failure) {
            if (!guard) return;
            if (answer.isEmpty())
                return emit commandAnswered(line, false, linkFailureText(failure, remote));
            const auto outcome = jexlink::readCommandAnswer(answer);
            if (!outcome)
                return emit commandAnswered(line, false,
                                            tr("%1 answered the command unreadably").arg(remote));
            emit commandAnswered(line, outcome->second.ok, outcome->second.reason);
        });
}

void CommandHistory::add(const QString& line) {
    shown_ = -1;
    typed_.clear();
    if (line.isEmpty() || (!lines_.isEmpty() && lines_.last() == line)) return;
    lines_.append(line);
    if (lines_.size() > kKept) lines_.removeFirst();
}

QString CommandHistory::older(const QString& typed) {
    if (lines_.isEmpty()) return typed;
    if (shown_ < 0) {
        typed_ = typed;
        shown_ = int(lines_.size());
    }
    shown_ = qMax(0, shown_ - 1);
    return lines_.at(shown_);
}

QString CommandHistory::newer(const QString& current) {
    if (shown_ < 0) return current;
    if (++shown_ >= lines_.size()) {
        shown_ = -1;
        return typed_;
    }
    return lines_.at(shown_);
}

}  // namespace jexhost::games_ui
