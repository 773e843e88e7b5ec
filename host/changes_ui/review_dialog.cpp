#include "host/changes_ui/review_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace jexhost::changes {

ReviewDialog::ReviewDialog(const MergeReview& review, QWidget* parent)
    : QDialog(parent), summary_(new QLabel), table_(new QTableWidget) {
    setWindowTitle(kReviewTitle);
    setObjectName(QStringLiteral("reviewChangesDialog"));

    summary_->setText(review.summary);
    summary_->setWordWrap(true);

    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Before"),
                                       QStringLiteral("After"), QStringLiteral("Whose")});
    table_->setRowCount(static_cast<int>(review.rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const ReviewRow& row = review.rows[r];
        const QStringList cells{row.setting, row.before, row.after, row.note};
        for (int c = 0; c < 4; ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(720, 360);
}

bool reviewUpdate(QWidget* parent, const MergeReview& review) {
    ReviewDialog dialog(review, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace jexhost::changes
