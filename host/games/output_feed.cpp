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

void OutputFeed::follow(const QString& name, const QString& remote, int profile, LinkSender send,
                        const std::optional<jexlink::Welcome>& welcome) {
    stop();
    name_ = name;
    remote_ = remote;
    profile_ = profile;
    send_ = std::move(send);
    welcome_ = welcome;
    if (!welcome_) setState(FeedState::Down, tr("waiting for the link to %1").arg(remote_));
    ask();
}

void OutputFeed::stop() {
    if (send_ && (state_ == FeedState::Asking || state_ == FeedState::Following))
        send_(
            [profile = profile_](qint64 id) {
                return jexlink::outputRequestMessage({id, profile, 0, false});
            },
            [](const QString&, LinkFailure) {});
    ++asking_;
    send_ = {};
    name_.clear();
    remote_.clear();
    profile_ = -1;
    welcome_.reset();
    const bool hadLines = !lines_.isEmpty();
    lines_.clear();
    if (hadLines) emit linesReset();
    setState(FeedState::NoServer);
}

void OutputFeed::welcomed(const jexlink::Welcome& welcome) {
    if (!send_) return;
    welcome_ = welcome;
    ask();
}

void OutputFeed::linkDown(LinkFailure failure) {
    if (!send_) return;
    ++asking_;  // an answer still under way belongs to the connection gone
    welcome_.reset();
    setState(FeedState::Down, linkFailureText(failure, remote_));
}

void OutputFeed::pushed(int profile, const QStringList& lines) {
    if (state_ != FeedState::Following || profile != profile_ || lines.isEmpty()) return;
    const QStringList taken = lines.mid(qMax(0, lines.size() - kKeptOutputLines));
    const qsizetype over = lines_.size() + taken.size() - kKeptOutputLines;
    if (over > 0) lines_.remove(0, over);
    lines_ += taken;
    emit linesAdded(int(taken.size()));
}

void OutputFeed::ask() {
    if (!welcome_) return;  // asked at the welcome
    if (!welcome_->control) return setState(FeedState::NoControl);
    const qint64 asked = ++asking_;
    setState(FeedState::Asking);
    send_(
        [profile = profile_](qint64 id) {
            return jexlink::outputRequestMessage({id, profile, kKeptOutputLines, true});
        },
        [this, guard = QPointer<OutputFeed>(this), asked](const QString& answer,
                                                          LinkFailure failure) {
            if (guard) answered(asked, answer, failure);
        });
}

void OutputFeed::answered(qint64 asked, const QString& answer, LinkFailure failure) {
    if (asked != asking_) return;  // another server, or another connection, since
    if (answer.isEmpty()) return setState(FeedState::Down, linkFailureText(failure, remote_));
    if (const auto refusal = outputRefusal(answer)) return setState(FeedState::Refused, *refusal);
    const auto lines = jexlink::readOutputAnswer(answer);
    if (!lines)
        return setState(FeedState::Refused, tr("%1 answered with no output lines").arg(remote_));
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
        .arg(welcome_ ? welcome_->operatorName : QString());
}

QString OutputFeed::stateText() const {
    switch (state_) {
        case FeedState::NoServer:
            return tr("Select a server to see its game's output.");
        case FeedState::NoControl:
            return tr("%1: %2.").arg(name_, refusalText());
        case FeedState::Asking:
            return tr("%1: asking for the game's last lines...").arg(name_);
        case FeedState::Following:
            return tr("%1: following the game's output.").arg(name_);
        case FeedState::Refused:
        case FeedState::Down:
            break;
    }
    return tr("%1: %2.").arg(name_, reason_);
}

void OutputFeed::sendCommand(const QString& line) {
    if (!send_) return emit commandAnswered(line, false, tr("Select a server first."));
    if (welcome_ && !welcome_->control) return emit commandAnswered(line, false, refusalText());
    if (const QString problem = commandLineProblem(line); !problem.isEmpty())
        return emit commandAnswered(line, false, problem);
    send_(
        [profile = profile_, line](qint64 id) {
            return jexlink::commandRequestMessage({id, profile, line});
        },
        [this, guard = QPointer<OutputFeed>(this), line, remote = remote_](const QString& answer,
                                                                           LinkFailure failure) {
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
