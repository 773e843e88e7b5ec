#include "host/traffic_ui/traffic_dock.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "host/traffic/traffic_csv.h"
#include "host/traffic/traffic_model.h"

namespace jexhost::traffic {

TrafficDock::TrafficDock(TrafficModel* model, QWidget* parent)
    : QDockWidget(QStringLiteral("Traffic"), parent),
      model_(model),
      table_(new QTableView),
      fields_(new QTreeWidget) {
    setObjectName(QStringLiteral("trafficDock"));

    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(TrafficModel::Details, QHeaderView::Stretch);

    fields_->setColumnCount(2);
    fields_->setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
    fields_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto* save = new QPushButton(QStringLiteral("Save as CSV…"));
    auto* clear = new QPushButton(QStringLiteral("Clear"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(clear);

    // Neither part folds away: rows stay in sight however the window is
    // sized, and no folded layout can be kept for the next start; on a
    // 1280x720 screen the panel above keeps its whole height.
    const int row = table_->verticalHeader()->defaultSectionSize();
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() + 2 * row);
    fields_->setMinimumHeight(2 * row);
    auto* split = new QSplitter(Qt::Vertical);
    split->setChildrenCollapsible(false);
    split->addWidget(table_);
    split->addWidget(fields_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split);
    layout->addLayout(buttons);
    setWidget(body);

    connect(save, &QPushButton::clicked, this, &TrafficDock::saveAsCsv);
    connect(clear, &QPushButton::clicked, model_, &TrafficModel::clear);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TrafficDock::showFields);
    connect(model_, &TrafficModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                const int current = table_->selectionModel()->currentIndex().row();
                if (current >= first.row() && current <= last.row()) showFields();
            });
    connect(model_, &TrafficModel::modelReset, this, &TrafficDock::showFields);
    connect(model_, &TrafficModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int) { followNewest(first); });
}

void TrafficDock::showFields() {
    fields_->clear();
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (!current.isValid()) return;
    const TrafficRow& row = model_->trafficRow(current.row());
    // An update's changes come first, one child per line, opened.
    if (row.changes) {
        auto* changes = new QTreeWidgetItem(
            {columnTitle(TrafficModel::Changes), changes::differenceSummary(*row.changes)});
        if (row.changes->comparable() && !row.changes->changes.isEmpty())
            for (const QString& line : changes::differenceLines(*row.changes))
                changes->addChild(new QTreeWidgetItem({QString(), line}));
        fields_->addTopLevelItem(changes);
        changes->setExpanded(true);
    }
    for (const FieldLine& field : row.request.fields)
        fields_->addTopLevelItem(new QTreeWidgetItem({field.label, field.value}));
}

// Keeps the newest row in sight while the operator has not scrolled away.
void TrafficDock::followNewest(int firstRow) {
    const QScrollBar* bar = table_->verticalScrollBar();
    if (bar->value() >= bar->maximum() - 1 || firstRow == 0) table_->scrollToBottom();
}

void TrafficDock::saveAsCsv() {
    QFileDialog dialog(this, QStringLiteral("Save traffic"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("CSV files (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (const auto error = saveTrafficCsv(*model_, dialog.selectedFiles().constFirst()))
        QMessageBox::warning(this, QStringLiteral("Traffic"), *error);
}

}  // namespace jexhost::traffic
