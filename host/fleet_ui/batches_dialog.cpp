#include "host/fleet_ui/batches_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "host/fleet/batch_journal.h"
#include "host/fleet/fleet_run.h"
#include "host/fleet_ui/outcome_table.h"
#include "host/fleet_ui/outcome_text.h"

namespace jexhost::fleet_ui {

namespace {

constexpr int kIdRole = Qt::UserRole;
const QString kTitle = QStringLiteral("Batches");

QString settingsText(const fleet::BatchSummary& batch) {
    const QString labels = settingLabels(batch.keys).join(QStringLiteral(", "));
    return batch.undoes.isEmpty() ? labels
                                  : QStringLiteral("undo of %1: %2").arg(batch.undoes, labels);
}

QTreeWidgetItem* batchItem(const fleet::BatchSummary& batch) {
    const QString servers = batch.servers.join(QStringLiteral(", "));
    auto* item = new QTreeWidgetItem(
        {batch.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
         batch.operators.join(QStringLiteral(", ")), settingsText(batch),
         QStringLiteral("%1: %2").arg(batch.servers.size()).arg(servers),
         countsText(batch.counts)});
    item->setData(0, kIdRole, batch.id);
    item->setToolTip(0, batch.id);
    item->setToolTip(2, settingsText(batch) + QStringLiteral("\nfrom ") + batch.source);
    item->setToolTip(3, batch.servers.join(u'\n'));
    return item;
}

}  // namespace

BatchesDialog::BatchesDialog(const FleetContext& context,
                             std::function<QList<servers::ServerEntry>()> servers, QWidget* parent)
    : QDialog(parent),
      context_(context),
      servers_(std::move(servers)),
      batches_(new QTreeWidget),
      table_(new OutcomeTable),
      progress_(new QProgressBar),
      status_(new QLabel),
      undo_(new QPushButton(tr("Undo"))) {
    setObjectName(QStringLiteral("batchesDialog"));
    setWindowTitle(kTitle);
    batches_->setHeaderLabels(
        {tr("Time"), tr("Operator"), tr("Settings"), tr("Servers"), tr("Outcomes")});
    batches_->setRootIsDecorated(false);
    batches_->setUniformRowHeights(true);
    batches_->header()->resizeSection(0, 150);
    batches_->header()->resizeSection(2, 220);
    batches_->header()->resizeSection(3, 220);
    table_->setColumnHidden(OutcomeTable::PreviewColumn, true);
    table_->hide();
    progress_->hide();
    status_->setWordWrap(true);
    undo_->setObjectName(QStringLiteral("undo"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(undo_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(undo_, &QPushButton::clicked, this, &BatchesDialog::undoSelected);
    connect(batches_, &QTreeWidget::currentItemChanged, this, &BatchesDialog::updateButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(batches_, 2);
    layout->addWidget(table_, 2);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(980, 560);
    reload();
}

BatchesDialog::~BatchesDialog() = default;

void BatchesDialog::reload() {
    QString error;
    const QList<fleet::BatchSummary> list = context_.journal->list(&error);
    batches_->clear();
    for (const fleet::BatchSummary& batch : list) batches_->addTopLevelItem(batchItem(batch));
    if (!error.isEmpty())
        status_->setText(tr("The list of batches could not be read: %1").arg(error));
    else if (!run_)
        status_->setText(tr("%n batch(es)", nullptr, int(list.size())));
    updateButtons();
}

void BatchesDialog::undoSelected() {
    const QTreeWidgetItem* item = batches_->currentItem();
    if (!item || run_) return;
    const QString id = item->data(0, kIdRole).toString();
    QMessageBox confirm(QMessageBox::Question, kTitle,
                        tr("Put every server of batch %1 (%2) back to its settings before the "
                           "batch? A setting changed since by someone else stays as it is.")
                            .arg(id, item->text(2)),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setDefaultButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Ok) return;

    QString error;
    const auto record = context_.journal->read(id, &error);
    if (!record) {
        QMessageBox::warning(this, kTitle, tr("Batch %1 cannot be undone: %2").arg(id, error));
        return;
    }
    QStringList names;
    for (const fleet::BatchServer& server : record->servers)
        if (server.outcome == fleet::Outcome::Applied) names << server.name;
    table_->setServers(names);
    table_->clearOutcomes(true);
    table_->show();
    progress_->setRange(0, int(names.size()));
    progress_->setValue(0);
    progress_->show();
    status_->setText(tr("Undoing batch %1…").arg(id));

    run_ = fleet_ui::newRun(context_, progress_, this);
    connect(run_, &fleet::FleetRun::serverFinished, this,
            [this](int row, const fleet::ServerOutcome& outcome) {
                // The run's own rows, should they not be the batch's applied ones.
                if (table_->rowCount() != run_->outcomes().size()) {
                    QStringList names;
                    for (const fleet::ServerOutcome& each : run_->outcomes())
                        names << each.server.name;
                    table_->setServers(names);
                }
                table_->showOutcome(row, outcome);
            });
    connect(run_, &fleet::FleetRun::finished, this, &BatchesDialog::settle);
    updateButtons();
    run_->undo(id, servers_());
}

void BatchesDialog::settle(const QString& error) {
    QStringList stored;
    QMap<fleet::Outcome, int> counts;
    for (const fleet::ServerOutcome& outcome : run_->outcomes()) {
        ++counts[outcome.outcome];
        if (outcome.outcome == fleet::Outcome::Applied) stored << outcome.server.id;
    }
    const QString undo = run_->batchId();
    // Nothing was sent (the batch was undone already): no row waits.
    if (run_->outcomes().isEmpty()) table_->clearOutcomes(false);
    run_->deleteLater();
    run_ = nullptr;
    reload();
    status_->setText(error.isEmpty() ? tr("Undo %1: %2.").arg(undo, countsText(counts))
                                     : tr("The undo stopped: %1").arg(error));
    if (!error.isEmpty()) QMessageBox::warning(this, kTitle, error);
    if (!stored.isEmpty()) emit applied(stored);
    emit runFinished();
}

void BatchesDialog::updateButtons() {
    undo_->setEnabled(!run_ && batches_->currentItem() != nullptr);
}

}  // namespace jexhost::fleet_ui
