#include "host/history/history_requests.h"

#include <algorithm>

#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "host/history/history_rows.h"
#include "link/link_words.h"

namespace jexhost::history {

namespace {
constexpr int kDefaultTimeoutMs = 20000;
}  // namespace

HistoryRequests::HistoryRequests(HistorySource* source, int profile, QObject* parent)
    : QObject(parent), source_(source), profile_(profile) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDefaultTimeoutMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++abandoned_;  // its answer may still come, and is not the next one's
        takeFailure(QStringLiteral("no answer within %1 seconds").arg(timer_.interval() / 1000.0));
    });
    // The source answers each request once, in the order they were sent:
    // the first answers to come after a time-out are those given up on.
    const auto current = [this](auto take) {
        return [this, take](const auto&... answer) {
            if (abandoned_ > 0) return void(--abandoned_);
            (this->*take)(answer...);
        };
    };
    connect(source_, &HistorySource::historyArrived, this, current(&HistoryRequests::takeHistory));
    connect(source_, &HistorySource::revertAnswered, this, current(&HistoryRequests::takeRevert));
    connect(source_, &HistorySource::failed, this, current(&HistoryRequests::takeFailure));
    connect(source_, &HistorySource::versionArrived, this, current(&HistoryRequests::takeVersion));
    connect(source_, &HistorySource::settingsArrived, this,
            current(&HistoryRequests::takeSettings));
    connect(source_, &HistorySource::updateAnswered, this,
            current(&HistoryRequests::takeUpdateAnswer));
}

void HistoryRequests::refresh() {
    if (pending_ != Pending::None) return;
    send(Pending::History, QStringLiteral("Fetching the history…"));
    source_->requestHistory(profile_);
}

void HistoryRequests::revert(qint64 version) {
    revertVersion_ = version;
    send(Pending::Revert, QStringLiteral("Reverting to version %1…").arg(version));
    source_->requestRevert(profile_, version);
}

void HistoryRequests::compare(qint64 first, qint64 second) {
    compared_ = {first, second};
    std::sort(compared_.begin(), compared_.end());
    comparedReplies_.clear();
    emit compareStarted(compared_[0], compared_[1]);
    send(Pending::Versions,
         QStringLiteral("Fetching versions %1 and %2…").arg(compared_[0]).arg(compared_[1]));
    source_->requestVersion(profile_, compared_[0]);
}

void HistoryRequests::putBack(const PutBack& wanted, const QString& what) {
    putBackWanted_ = wanted;
    putBackText_ = what;
    send(Pending::Settings, QStringLiteral("Fetching the current settings…"));
    source_->requestSettings(profile_);
}

void HistoryRequests::send(Pending what, const QString& note) {
    // Pending before the request goes out: a source may answer at once.
    pending_ = what;
    emit status(note);
    timer_.start();
    emit busyChanged();
}

void HistoryRequests::finish() {
    pending_ = Pending::None;
    timer_.stop();
    emit busyChanged();
}

void HistoryRequests::takeHistory(const jexlink::History& history) {
    if (pending_ != Pending::History) return;  // late, or not asked for
    finish();
    emit historyArrived(history);
}

void HistoryRequests::takeRevert(const jexlink::RevertOutcome& outcome) {
    if (pending_ != Pending::Revert) return;
    finish();
    if (!outcome.ok) {
        const QString reason = shownText(outcome.reason, kMaxReasonText);
        emit warning(QStringLiteral("The revert was refused."),
                     reason.trimmed().isEmpty()
                         ? QStringLiteral("The server refused the revert.")
                         : QStringLiteral("The server refused the revert: %1").arg(reason));
        return;
    }
    // Said without a box: the list reloads at once, and so does the panel.
    emit status(QStringLiteral("Version %1 is stored again.").arg(revertVersion_));
    emit reverted(profile_, revertVersion_);
    refresh();
}

void HistoryRequests::takeFailure(const QString& reason) {
    const Pending was = pending_;
    if (was == Pending::None) return;
    finish();
    const QString why = shownText(reason, kMaxReasonText);
    switch (was) {
        case Pending::History:
            return warn(QStringLiteral("The history could not be fetched: %1").arg(why));
        case Pending::Revert:
            return warn(QStringLiteral("The revert to version %1 was not confirmed: %2. Refresh "
                                       "to see whether it was stored.")
                            .arg(revertVersion_)
                            .arg(why));
        case Pending::Versions:
            return warn(QStringLiteral("The versions could not be fetched: %1").arg(why));
        case Pending::Settings:
            return warn(QStringLiteral("The current settings could not be fetched: %1").arg(why));
        case Pending::Update:
            return warn(
                QStringLiteral("%1 was not confirmed: %2. Refresh to see whether it was stored.")
                    .arg(putBackText_, why));
        case Pending::None:
            return;
    }
}

void HistoryRequests::takeVersion(qint64 version, const QString& settingsReply) {
    if (pending_ != Pending::Versions || comparedReplies_.size() >= compared_.size() ||
        version != compared_[comparedReplies_.size()])
        return;
    comparedReplies_ << settingsReply;
    if (comparedReplies_.size() < compared_.size()) {
        timer_.start();
        return source_->requestVersion(profile_, compared_[comparedReplies_.size()]);
    }
    const auto older = kdrsm::model::settingsOfReply(comparedReplies_[0]);
    const auto newer = kdrsm::model::settingsOfReply(comparedReplies_[1]);
    const auto* a = std::get_if<kdrsm::model::ServerSettings>(&older);
    const auto* b = std::get_if<kdrsm::model::ServerSettings>(&newer);
    if (!a || !b)
        return takeFailure(
            QStringLiteral("version %1 could not be read").arg(compared_[a ? 1 : 0]));
    finish();
    emit compared(compared_[0], compared_[1], kdrsm::model::differences(*a, *b));
}

void HistoryRequests::takeSettings(const QString& settingsReply, qint64 version) {
    if (pending_ != Pending::Settings || !putBackWanted_) return;
    const auto current = kdrsm::model::settingsOfReply(settingsReply);
    const auto* now = std::get_if<kdrsm::model::ServerSettings>(&current);
    if (!now) return takeFailure(QStringLiteral("the server's settings could not be read"));
    if (version <= 0) return takeFailure(QStringLiteral("the server named no version"));
    const auto wanted = withPutBack(*now, *putBackWanted_);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&wanted))
        return takeFailure(fault->reason);
    const auto& settings = std::get<kdrsm::model::ServerSettings>(wanted);
    if (kdrsm::model::differences(*now, settings).isEmpty()) {
        finish();
        emit status(QStringLiteral("Nothing to do: %1 already holds that value.")
                        .arg(putBackText_.section(QStringLiteral(" back to "), 0, 0)));
        return;
    }
    send(Pending::Update, QStringLiteral("Sending %1…").arg(putBackText_));
    source_->requestUpdate(profile_, kdrsm::model::updateBody(settings), version);
}

void HistoryRequests::takeUpdateAnswer(const jexlink::Envelope& answer) {
    if (pending_ != Pending::Update) return;
    finish();
    if (answer.text == jexlink::kUpdatedAnswer) {
        emit status(QStringLiteral("Stored: %1.").arg(putBackText_));
        emit settingPutBack(profile_, putBackText_);
        return refresh();
    }
    QStringList why;
    for (const jexlink::Conflict& conflict : answer.conflicts)
        why << QStringLiteral("%1 was changed meanwhile by %2 (now %3)")
                   .arg(shownText(conflict.setting, kMaxShownText),
                        shownText(conflict.operatorName, kMaxOperatorText),
                        shownText(conflict.theirs, kMaxShownText));
    if (why.isEmpty())
        why << (answer.reason.trimmed().isEmpty() ? QStringLiteral("the server refused it")
                                                  : shownText(answer.reason, kMaxReasonText));
    warn(QStringLiteral("The server did not store %1: %2")
             .arg(putBackText_, why.join(QStringLiteral("; "))));
}

}  // namespace jexhost::history
