#pragma once
// What the History dialog asks of its HistorySource, without a widget: one
// request at a time, given up on when no answer comes within the time limit
// (whose late answer is then let pass), and the two flows that take more
// than one request: comparing two kept versions, and putting one setting of
// a record back (the current settings are fetched, that setting alone takes
// the record's old value, and the update goes out based on the current
// version). The dialog shows what it says and asks the operator first.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

#include "exchange/model/settings_difference.h"
#include "host/history/history_source.h"
#include "host/history/setting_put_back.h"

namespace jexhost::history {

class HistoryRequests final : public QObject {
    Q_OBJECT
public:
    HistoryRequests(HistorySource* source, int profile, QObject* parent = nullptr);

    // How long an answer may take; 20 s unless set.
    void setAnswerTimeout(int milliseconds) { timer_.setInterval(milliseconds); }
    // Whether no request is outstanding.
    bool idle() const { return pending_ == Pending::None; }

    // Asks for the history, unless a request is outstanding.
    void refresh();
    void revert(qint64 version);
    // Fetches both versions, older first, and compares them.
    void compare(qint64 first, qint64 second);
    // `what` says it in the operator's words: "Max Players back to 16".
    void putBack(const PutBack& wanted, const QString& what);

signals:
    // A request went out or was settled: the buttons follow idle().
    void busyChanged();
    void status(const QString& text);
    // A request failed or was refused: the status line says `statusText`,
    // a box says `boxText`.
    void warning(const QString& statusText, const QString& boxText);
    void historyArrived(const jexlink::History& history);
    void compareStarted(qint64 older, qint64 newer);
    void compared(qint64 older, qint64 newer, const QList<kdrsm::model::SettingChange>& changes);
    // A revert was stored: the open panel of `profile` should fetch again.
    void reverted(int profile, qint64 version);
    // One setting was put back (`what`: "Max Players back to 16").
    void settingPutBack(int profile, const QString& what);

private:
    enum class Pending { None, History, Revert, Versions, Settings, Update };

    void send(Pending what, const QString& note);
    void finish();
    void takeHistory(const jexlink::History& history);
    void takeRevert(const jexlink::RevertOutcome& outcome);
    void takeFailure(const QString& reason);
    void takeVersion(qint64 version, const QString& settingsReply);
    void takeSettings(const QString& settingsReply, qint64 version);
    void takeUpdateAnswer(const jexlink::Envelope& answer);
    void warn(const QString& text) { emit warning(text, text); }

    HistorySource* source_;
    int profile_;
    Pending pending_ = Pending::None;
    int abandoned_ = 0;  // requests given up on whose answers are still to come
    qint64 revertVersion_ = 0;
    QList<qint64> compared_;       // the two versions, older first
    QStringList comparedReplies_;  // their settings as they arrive
    std::optional<PutBack> putBackWanted_;
    QString putBackText_;  // "Max Players back to 16"
    QTimer timer_;
};

}  // namespace jexhost::history
