#include "host/history/history_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace jexhost::history {

namespace {

const QString kBoxTitle = QStringLiteral("History");
constexpr int kDefaultTimeoutMs = 20000;
constexpr int kVersionRole = Qt::UserRole;

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
    for (const HistoryChange& change : row.changes) {
        const QString setting = change.entry.isEmpty()
                                    ? change.setting
                                    : change.setting + QStringLiteral(": ") + change.entry;
        const bool secret = change.kind == ChangeKind::Secret;
        item->addChild(new QTreeWidgetItem({QString(), QString(), QString(), setting,
                                            secret ? QString() : change.before,
                                            secret ? QStringLiteral("changed") : change.after}));
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
      source_(source),
      profile_(profile),
      serverName_(shownText(serverName, kMaxShownText)),
      status_(new QLabel),
      records_(newTree({QStringLiteral("Time"), QStringLiteral("Operator"),
                        QStringLiteral("Version"), QStringLiteral("Settings changed"),
                        QStringLiteral("Old"), QStringLiteral("New")})),
      versions_(
          newTree({QStringLiteral("Time"), QStringLiteral("Operator"), QStringLiteral("Version")})),
      revert_(new QPushButton(QStringLiteral("Revert"))),
      refresh_(new QPushButton(QStringLiteral("Refresh"))) {
    setWindowTitle(QStringLiteral("History: %1").arg(serverName_));
    setObjectName(QStringLiteral("historyDialog"));
    versions_->setRootIsDecorated(false);
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
    buttons->addButton(refresh_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(revert_, &QPushButton::clicked, this, &HistoryDialog::revertSelected);
    connect(refresh_, &QPushButton::clicked, this, &HistoryDialog::refresh);
    connect(versions_, &QTreeWidget::currentItemChanged, this, &HistoryDialog::updateButtons);

    timer_.setSingleShot(true);
    timer_.setInterval(kDefaultTimeoutMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        showFailure(QStringLiteral("no answer within %1 seconds").arg(timer_.interval() / 1000.0));
    });
    connect(source_, &HistorySource::historyArrived, this, &HistoryDialog::showHistory);
    connect(source_, &HistorySource::revertAnswered, this, &HistoryDialog::showOutcome);
    connect(source_, &HistorySource::failed, this, &HistoryDialog::showFailure);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(QStringLiteral("Changes")));
    layout->addWidget(records_, 3);
    layout->addWidget(new QLabel(QStringLiteral("Kept versions")));
    layout->addWidget(versions_, 1);
    layout->addWidget(buttons);
    resize(900, 560);

    // Ask once the dialog's event loop runs, so that an answer finds it shown.
    QTimer::singleShot(0, this, &HistoryDialog::refresh);
}

void HistoryDialog::refresh() {
    if (pending_ != Pending::None) return;
    send(Pending::History, QStringLiteral("Fetching the history…"));
    source_->requestHistory(profile_);
}

void HistoryDialog::send(Pending what, const QString& note) {
    // Pending before the request goes out: a source may answer at once.
    pending_ = what;
    status_->setText(note);
    timer_.start();
    updateButtons();
}

void HistoryDialog::finish() {
    pending_ = Pending::None;
    timer_.stop();
    updateButtons();
}

void HistoryDialog::updateButtons() {
    const bool idle = pending_ == Pending::None;
    refresh_->setEnabled(idle);
    revert_->setEnabled(idle && versions_->currentItem() != nullptr);
}

void HistoryDialog::revertSelected() {
    const QTreeWidgetItem* item = versions_->currentItem();
    if (pending_ != Pending::None || !item) return;
    const qint64 version = item->data(0, kVersionRole).toLongLong();
    const QString question =
        QStringLiteral("Put the settings of %1 back to version %2, stored %3 by %4?")
            .arg(serverName_)
            .arg(version)
            .arg(item->text(0), item->text(1));
    // The box is built here rather than by QMessageBox::question so that
    // its result is the code it was closed with, by a button or by done().
    QMessageBox confirm(QMessageBox::Question, kBoxTitle, question,
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setDefaultButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Ok) return;
    revertVersion_ = version;
    send(Pending::Revert, QStringLiteral("Reverting to version %1…").arg(version));
    source_->requestRevert(profile_, version);
}

void HistoryDialog::showHistory(const jexlink::History& history) {
    if (pending_ != Pending::History) return;  // late, or not asked for
    finish();
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

void HistoryDialog::showOutcome(const jexlink::RevertOutcome& outcome) {
    if (pending_ != Pending::Revert) return;
    finish();
    if (!outcome.ok) {
        const QString reason = shownText(outcome.reason, kMaxReasonText);
        status_->setText(QStringLiteral("The revert was refused."));
        QMessageBox::warning(this, kBoxTitle,
                             reason.trimmed().isEmpty()
                                 ? QStringLiteral("The server refused the revert.")
                                 : QStringLiteral("The server refused the revert: %1").arg(reason));
        return;
    }
    // Said without a box: the list reloads at once, and so does the panel.
    status_->setText(QStringLiteral("Version %1 is stored again.").arg(revertVersion_));
    emit reverted(profile_, revertVersion_);
    refresh();
}

void HistoryDialog::showFailure(const QString& reason) {
    const Pending was = pending_;
    if (was == Pending::None) return;
    finish();
    const QString why = shownText(reason, kMaxReasonText);
    const QString text = was == Pending::History
                             ? QStringLiteral("The history could not be fetched: %1").arg(why)
                             : QStringLiteral(
                                   "The revert to version %1 was not confirmed: %2. Refresh to see "
                                   "whether it was stored.")
                                   .arg(revertVersion_)
                                   .arg(why);
    status_->setText(text);
    QMessageBox::warning(this, kBoxTitle, text);
}

}  // namespace jexhost::history
