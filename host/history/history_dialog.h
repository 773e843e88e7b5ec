#pragma once
// The "History" dialog of one server: its audit records, newest first, each
// expandable to the old and new value of every setting it changed, and the
// kept versions with "Revert" to put one back. It asks its HistorySource for
// the history when opened and after a revert, one request at a time; while
// one is outstanding the buttons wait, and no answer within the time limit
// says so. Two kept versions can be compared in the form's words, and one
// setting of a record put back: the current settings are fetched, that
// setting alone takes the record's old value, and the update goes out based
// on the current version, through the remote side's usual rules.

#include <QDialog>
#include <QTimer>

#include <optional>

#include "host/history/history_rows.h"
#include "host/history/history_source.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace jexhost::history {

class HistoryDialog final : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(HistorySource* source, int profile, const QString& serverName,
                  QWidget* parent = nullptr);

    // How long an answer may take; 20 s unless set.
    void setAnswerTimeout(int milliseconds) { timer_.setInterval(milliseconds); }

    // Asks for the history again.
    void refresh();

    QTreeWidget* records() const { return records_; }
    QTreeWidget* versions() const { return versions_; }
    QTreeWidget* comparison() const { return compare_; }
    QPushButton* revertButton() const { return revert_; }
    QPushButton* compareButton() const { return compareButton_; }
    QPushButton* putBackButton() const { return putBack_; }
    QPushButton* refreshButton() const { return refresh_; }
    QLabel* status() const { return status_; }

signals:
    // A revert was stored: the open panel of `profile` should fetch again.
    void reverted(int profile, qint64 version);
    // One setting was put back (`what`: "Max Players back to 16").
    void settingPutBack(int profile, const QString& what);

private:
    enum class Pending { None, History, Revert, Versions, Settings, Update };

    void send(Pending what, const QString& note);
    void finish();
    void updateButtons();
    void revertSelected();
    void showHistory(const jexlink::History& history);
    void showOutcome(const jexlink::RevertOutcome& outcome);
    void showFailure(const QString& reason);
    void compareSelected();
    void takeVersion(qint64 version, const QString& settingsReply);
    void putBackSelected();
    void takeSettings(const QString& settingsReply, qint64 version);
    void takeUpdateAnswer(const jexlink::Envelope& answer);

    HistorySource* source_;
    int profile_;
    QString serverName_;
    Pending pending_ = Pending::None;
    int abandoned_ = 0;  // requests given up on whose answers are still to come
    qint64 revertVersion_ = 0;
    QList<qint64> compared_;       // the two versions, older first
    QStringList comparedReplies_;  // their settings as they arrive
    std::optional<PutBack> putBackWanted_;
    QString putBackText_;  // "Max Players back to 16"
    QTimer timer_;
    QLabel* status_;
    QTreeWidget* records_;
    QTreeWidget* versions_;
    QTreeWidget* compare_;
    QPushButton* revert_;
    QPushButton* compareButton_;
    QPushButton* putBack_;
    QPushButton* refresh_;
};

}  // namespace jexhost::history
