#include "host/history_ui/history_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_difference.h"

namespace jexhost::history {

namespace {

const QString kBoxTitle = QStringLiteral("History");
constexpr int kVersionRole = Qt::UserRole;
// A change row's way back: its setting's key, role or weapon, and old value.
constexpr int kPutBackKeyRole = Qt::UserRole + 1;
constexpr int kPutBackEntryRole = Qt::UserRole + 2;
constexpr int kPutBackValueRole = Qt::UserRole + 3;

QTreeWidget* newTree(const QStringList& headers) {
    auto* tree = new QTreeWidget;
    tree->setColumnCount(static_cast<int>(headers.size()));
    tree->setHeaderLabels(headers);
    tree->setUniformRowHeights(true);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(true);
    return tree;
}

QString versionText(const std::optional<qint64>& version) {
    return version ? QString::number(*version) : QString();
}

QTreeWidgetItem* recordItem(const HistoryRow& row) {
    auto* item = new QTreeWidgetItem(
        {localTimeText(row.time), row.operatorName, versionText(row.version), rowSummary(row)});
    item->setToolTip(3, item->text(3));
    for (int i = 0; i < row.changes.size(); ++i) {
        const HistoryChange& change = row.changes[i];
        const QString setting = change.entry.isEmpty()
                                    ? change.setting
                                    : change.setting + QStringLiteral(": ") + change.entry;
        const bool secret = change.kind == ChangeKind::Secret;
        auto* child = new QTreeWidgetItem({QString(), QString(), QString(), setting,
                                           secret ? QString() : change.before,
                                           secret ? QStringLiteral("changed") : change.after});
        if (const auto& back = row.putBacks.value(i)) {
            child->setData(0, kPutBackKeyRole, back->key);
            child->setData(0, kPutBackEntryRole, back->entry);
            child->setData(0, kPutBackValueRole, back->value);
        }
        item->addChild(child);
    }
    if (row.omittedChanges > 0)
        item->addChild(new QTreeWidgetItem(
            {QString(), QString(), QString(),
             QStringLiteral("%1 more changes not shown").arg(row.omittedChanges)}));
    if (row.undone) {
        QFont font = item->font(0);
        font.setItalic(true);
        for (int c = 0; c < item->columnCount(); ++c) item->setFont(c, font);
        item->setToolTip(3, item->text(3) + QStringLiteral("\nWritten, then not stored: the "
                                                           "server kept its settings"));
    }
    return item;
}

}  // namespace

HistoryDialog::HistoryDialog(HistorySource* source, int profile, const QString& serverName,
                             QWidget* parent)
    : QDialog(parent),
      serverName_(shownText(serverName, kMaxShownText)),
      requests_(new HistoryRequests(source, profile, this)),
      status_(new QLabel),
      records_(newTree({QStringLiteral("Time"), QStringLiteral("Operator"),
                        QStringLiteral("Version"), QStringLiteral("Settings changed"),
                        QStringLiteral("Old"), QStringLiteral("New")})),
      versions_(
          newTree({QStringLiteral("Time"), QStringLiteral("Operator"), QStringLiteral("Version")})),
      compare_(
          newTree({QStringLiteral("Setting"), QStringLiteral("Older"), QStringLiteral("Newer")})),
      revert_(new QPushButton(QStringLiteral("Revert"))),
      compareButton_(new QPushButton(QStringLiteral("Compare"))),
      putBack_(new QPushButton(QStringLiteral("Revert setting"))),
      refresh_(new QPushButton(QStringLiteral("Refresh"))) {
    setWindowTitle(QStringLiteral("History: %1").arg(serverName_));
    setObjectName(QStringLiteral("historyDialog"));
    versions_->setRootIsDecorated(false);
    // Two versions are compared; Revert takes the current one.
    versions_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    compare_->setRootIsDecorated(false);
    compare_->setObjectName(QStringLiteral("comparison"));
    compareButton_->setToolTip(QStringLiteral("Select two kept versions to compare"));
    putBack_->setToolTip(
        QStringLiteral("Put the selected setting of a record back to its old value"));
    // A long summary would push the old and new values out of sight: its
    // column keeps a width, the row's tooltip has all of it.
    QHeaderView* header = records_->header();
    header->setSectionResizeMode(3, QHeaderView::Interactive);
    header->setSectionResizeMode(4, QHeaderView::Interactive);
    header->resizeSection(3, 300);
    header->resizeSection(4, 170);
    status_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(revert_, QDialogButtonBox::ActionRole);
    buttons->addButton(compareButton_, QDialogButtonBox::ActionRole);
    buttons->addButton(putBack_, QDialogButtonBox::ActionRole);
    buttons->addButton(refresh_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(revert_, &QPushButton::clicked, this, &HistoryDialog::revertSelected);
    connect(refresh_, &QPushButton::clicked, this, &HistoryDialog::refresh);
    connect(compareButton_, &QPushButton::clicked, this, &HistoryDialog::compareSelected);
    connect(putBack_, &QPushButton::clicked, this, &HistoryDialog::putBackSelected);
    connect(versions_, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::updateButtons);
    connect(records_, &QTreeWidget::currentItemChanged, this, &HistoryDialog::updateButtons);

    connect(requests_, &HistoryRequests::busyChanged, this, &HistoryDialog::updateButtons);
    connect(requests_, &HistoryRequests::status, status_, &QLabel::setText);
    connect(requests_, &HistoryRequests::warning, this,
            [this](const QString& statusText, const QString& boxText) {
                status_->setText(statusText);
                QMessageBox::warning(this, kBoxTitle, boxText);
            });
    connect(requests_, &HistoryRequests::historyArrived, this, &HistoryDialog::showHistory);
    connect(requests_, &HistoryRequests::compareStarted, this, [this](qint64 older, qint64 newer) {
        compare_->clear();
        compare_->setHeaderLabels({QStringLiteral("Setting"),
                                   QStringLiteral("Version %1").arg(older),
                                   QStringLiteral("Version %1").arg(newer)});
    });
    connect(requests_, &HistoryRequests::compared, this, &HistoryDialog::showComparison);
    connect(requests_, &HistoryRequests::reverted, this, &HistoryDialog::reverted);
    connect(requests_, &HistoryRequests::settingPutBack, this, &HistoryDialog::settingPutBack);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(QStringLiteral("Changes")));
    layout->addWidget(records_, 3);
    auto* kept = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Kept versions")));
    left->addWidget(versions_);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Compared")));
    right->addWidget(compare_);
    kept->addLayout(left, 1);
    kept->addLayout(right, 2);
    layout->addLayout(kept, 2);
    layout->addWidget(buttons);
    resize(900, 640);

    // Ask once the dialog's event loop runs, so that an answer finds it shown.
    QTimer::singleShot(0, this, &HistoryDialog::refresh);
}

void HistoryDialog::refresh() {
    requests_->refresh();
}

void HistoryDialog::updateButtons() {
    const bool idle = requests_->idle();
    refresh_->setEnabled(idle);
    revert_->setEnabled(idle && versions_->currentItem() != nullptr);
    compareButton_->setEnabled(idle && versions_->selectedItems().size() == 2);
    const QTreeWidgetItem* change = records_->currentItem();
    putBack_->setEnabled(idle && change && change->parent() &&
                         !change->data(0, kPutBackKeyRole).toString().isEmpty());
}

bool HistoryDialog::confirmed(const QString& question) {
    // The box is built here rather than by QMessageBox::question so that
    // its result is the code it was closed with, by a button or by done().
    QMessageBox confirm(QMessageBox::Question, kBoxTitle, question,
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setDefaultButton(QMessageBox::Cancel);
    const QPointer<HistoryDialog> self(this);  // the box's loop may close this dialog
    return confirm.exec() == QMessageBox::Ok && self;
}

void HistoryDialog::revertSelected() {
    const QTreeWidgetItem* item = versions_->currentItem();
    if (!requests_->idle() || !item) return;
    const qint64 version = item->data(0, kVersionRole).toLongLong();
    if (confirmed(QStringLiteral("Put the settings of %1 back to version %2, stored %3 by %4?")
                      .arg(serverName_)
                      .arg(version)
                      .arg(item->text(0), item->text(1))))
        requests_->revert(version);
}

void HistoryDialog::showHistory(const jexlink::History& history) {
    const QList<HistoryRow> rows = historyRows(history.records);
    records_->clear();
    for (const HistoryRow& row : rows) records_->addTopLevelItem(recordItem(row));

    const QList<VersionRow> kept = versionRows(history.versions);
    versions_->clear();
    for (const VersionRow& version : kept) {
        auto* item = new QTreeWidgetItem(
            {localTimeText(version.time), version.operatorName, QString::number(version.version)});
        item->setData(0, kVersionRole, version.version);
        versions_->addTopLevelItem(item);
    }
    status_->setText(
        QStringLiteral("Records: %1; kept versions: %2").arg(rows.size()).arg(kept.size()));
    updateButtons();
}

void HistoryDialog::compareSelected() {
    const QList<QTreeWidgetItem*> chosen = versions_->selectedItems();
    if (!requests_->idle() || chosen.size() != 2) return;
    requests_->compare(chosen[0]->data(0, kVersionRole).toLongLong(),
                       chosen[1]->data(0, kVersionRole).toLongLong());
}

void HistoryDialog::showComparison(qint64 older, qint64 newer,
                                   const QList<kdrsm::model::SettingChange>& changes) {
    for (const kdrsm::model::SettingChange& change : changes) {
        const bool secret = change.kind == kdrsm::model::ChangeKind::Secret;
        const QString label = kdrsm::model::captionWords(kdrsm::model::changeLabel(change));
        compare_->addTopLevelItem(new QTreeWidgetItem(
            {label,
             secret ? QString() : shownText(kdrsm::model::shownBefore(change), kMaxShownText),
             secret ? QStringLiteral("changed")
                    : shownText(kdrsm::model::shownAfter(change), kMaxShownText)}));
    }
    status_->setText(
        changes.isEmpty()
            ? QStringLiteral("Versions %1 and %2 hold the same settings.").arg(older).arg(newer)
            : QStringLiteral("Versions %1 and %2 differ in %3 settings.")
                  .arg(older)
                  .arg(newer)
                  .arg(changes.size()));
}

void HistoryDialog::putBackSelected() {
    const QTreeWidgetItem* change = records_->currentItem();
    if (!requests_->idle() || !change || !change->parent()) return;
    const QString key = change->data(0, kPutBackKeyRole).toString();
    if (key.isEmpty()) return;
    const PutBack wanted{key, change->data(0, kPutBackEntryRole).toString(),
                         change->data(0, kPutBackValueRole).toString()};
    const QString what = QStringLiteral("%1 back to %2").arg(change->text(3), change->text(4));
    if (confirmed(QStringLiteral("Put %1 of %2 back to %3? The other settings stay as they "
                                 "are now.")
                      .arg(change->text(3), serverName_, change->text(4))))
        requests_->putBack(wanted, what);
}

}  // namespace jexhost::history
