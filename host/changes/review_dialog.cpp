#include "host/changes/review_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace jexhost::changes {

ReviewDialog::ReviewDialog(const SettingsDifference& difference, QWidget* parent)
    : QDialog(parent), summary_(new QLabel), table_(new QTableWidget) {
    setWindowTitle(kReviewTitle);
    setObjectName(QStringLiteral("reviewChangesDialog"));

    summary_->setText(differenceSummary(difference));
    summary_->setWordWrap(true);

    // Only the changes themselves are rows; a difference that cannot be
    // told, or is empty, says so in the summary above.
    const QList<SettingChange>& changes =
        difference.comparable() ? difference.changes : QList<SettingChange>{};
    table_->setColumnCount(3);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Setting"), QStringLiteral("Before"), QStringLiteral("After")});
    table_->setRowCount(static_cast<int>(changes.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const SettingChange& change = changes[r];
        const bool secret = change.kind == ChangeKind::Secret;
        const QStringList cells{
            kdrsm::model::changeLabel(change),
            secret ? QString() : kdrsm::model::shownBefore(change),
            secret ? QStringLiteral("changed") : kdrsm::model::shownAfter(change)};
        for (int c = 0; c < 3; ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    if (difference.comparable() && difference.omittedWeapons > 0) {
        const QStringList lines = differenceLines(difference);
        summary_->setText(summary_->text() + u'\n' + lines.constLast());
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
    resize(560, 360);
}

bool reviewUpdate(QWidget* parent, const SettingsDifference& difference) {
    ReviewDialog dialog(difference, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace jexhost::changes
