#pragma once
// The "History" dialog of one server: its audit records, newest first, each
// expandable to the old and new value of every setting it changed, and the
// kept versions with "Revert" to put one back. It asks for the history when
// opened and after a revert; while a request is outstanding the buttons wait.
// Two kept versions can be compared in the form's words, and one setting of a
// record put back. The requests and their order are HistoryRequests'; this
// dialog shows what they bring and asks the operator before each change.

#include <QDialog>

#include "host/history/history_requests.h"
#include "host/history/history_rows.h"

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
    void setAnswerTimeout(int milliseconds) { requests_->setAnswerTimeout(milliseconds); }

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
    void updateButtons();
    // Asks the operator in a box; false when declined or this dialog closed.
    bool confirmed(const QString& question);
    void revertSelected();
    void showHistory(const jexlink::History& history);
    void compareSelected();
    void showComparison(qint64 older, qint64 newer,
                        const QList<kdrsm::model::SettingChange>& changes);
    void putBackSelected();

    QString serverName_;
    HistoryRequests* requests_;
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
