#pragma once
// The "Review changes before Update" dialog: what an update would change, a
// row per setting, with OK to send it and Cancel to refuse it.

#include <QDialog>

#include "host/changes/settings_difference.h"

class QLabel;
class QTableWidget;

namespace jexhost::changes {

inline const QString kReviewTitle = QStringLiteral("Review changes before Update");

class ReviewDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ReviewDialog(const SettingsDifference& difference, QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QTableWidget* table() const { return table_; }

private:
    QLabel* summary_;
    QTableWidget* table_;
};

// Shows the dialog modally; true when the operator chose OK.
bool reviewUpdate(QWidget* parent, const SettingsDifference& difference);

}  // namespace jexhost::changes
