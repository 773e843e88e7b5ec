#pragma once
// The "Review changes before Update" dialog: what the update would do once
// merged with what the server holds now, a row per setting, with OK to send
// it and Cancel to refuse it.

#include <QDialog>

#include "host/changes/merge_review.h"

class QLabel;
class QTableWidget;

namespace jexhost::changes {

inline const QString kReviewTitle = QStringLiteral("Review changes before Update");

class ReviewDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ReviewDialog(const MergeReview& review, QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QTableWidget* table() const { return table_; }

private:
    QLabel* summary_;
    QTableWidget* table_;
};

// Shows the dialog modally; true when the operator chose OK.
bool reviewUpdate(QWidget* parent, const MergeReview& review);

}  // namespace jexhost::changes
