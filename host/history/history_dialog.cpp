#include "host/history/history_dialog.h"

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
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "host/history/setting_put_back.h"

namespace jexhost::history {

namespace {

const QString kBoxTitle = QStringLiteral("History");
constexpr int kDefaultTimeoutMs = 20000;
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
      source_(source),
      profile_(profile),
      serverName_(shownText(serverName, kMaxShownText)),
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

    timer_.setSingleShot(true);
    timer_.setInterval(kDefaultTimeoutMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++abandoned_;  // its answer may still come, and is not the next one's
        showFailure(QStringLiteral("no answer within %1 seconds").arg(timer_.interval() / 1000.0));
    });
    // The source answers each request once, in the order they were sent:
    // the first answers to come after a time-out are those given up on.
    const auto current = [this](auto take) {
        return [this, take](const auto&... answer) {
            if (abandoned_ > 0) return void(--abandoned_);
            (this->*take)(answer...);
        };
    };
    connect(source_, &HistorySource::historyArrived, this, current(&HistoryDialog::showHistory));
    connect(source_, &HistorySource::revertAnswered, this, current(&HistoryDialog::showOutcome));
    connect(source_, &HistorySource::failed, this, current(&HistoryDialog::showFailure));
    connect(source_, &HistorySource::versionArrived, this, current(&HistoryDialog::takeVersion));
    connect(source_, &HistorySource::settingsArrived, this, current(&HistoryDialog::takeSettings));
    connect(source_, &HistorySource::updateAnswered, this,
            current(&HistoryDialog::takeUpdateAnswer));

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
    compareButton_->setEnabled(idle && versions_->selectedItems().size() == 2);
    const QTreeWidgetItem* change = records_->currentItem();
    putBack_->setEnabled(idle && change && change->parent() &&
                         !change->data(0, kPutBackKeyRole).toString().isEmpty());
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
    const QPointer<HistoryDialog> self(this);  // the box's loop may close this dialog
    if (confirm.exec() != QMessageBox::Ok || !self) return;
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
    QString text;
    switch (was) {
        case Pending::History:
            text = QStringLiteral("The history could not be fetched: %1").arg(why);
            break;
        case Pending::Revert:
            text = QStringLiteral(
                       "The revert to version %1 was not confirmed: %2. Refresh to see "
                       "whether it was stored.")
                       .arg(revertVersion_)
                       .arg(why);
            break;
        case Pending::Versions:
            text = QStringLiteral("The versions could not be fetched: %1").arg(why);
            break;
        case Pending::Settings:
            text = QStringLiteral("The current settings could not be fetched: %1").arg(why);
            break;
        case Pending::Update:
            text = QStringLiteral("%1 was not confirmed: %2. Refresh to see whether it was stored.")
                       .arg(putBackText_, why);
            break;
        case Pending::None:
            return;
    }
    status_->setText(text);
    QMessageBox::warning(this, kBoxTitle, text);
}

void HistoryDialog::compareSelected() {
    const QList<QTreeWidgetItem*> chosen = versions_->selectedItems();
    if (pending_ != Pending::None || chosen.size() != 2) return;
    compared_ = {chosen[0]->data(0, kVersionRole).toLongLong(),
                 chosen[1]->data(0, kVersionRole).toLongLong()};
    std::sort(compared_.begin(), compared_.end());
    comparedReplies_.clear();
    compare_->clear();
    compare_->setHeaderLabels({QStringLiteral("Setting"),
                               QStringLiteral("Version %1").arg(compared_[0]),
                               QStringLiteral("Version %1").arg(compared_[1])});
    send(Pending::Versions,
         QStringLiteral("Fetching versions %1 and %2…").arg(compared_[0]).arg(compared_[1]));
    source_->requestVersion(profile_, compared_[0]);
}

void HistoryDialog::takeVersion(qint64 version, const QString& settingsReply) {
    if (pending_ != Pending::Versions || comparedReplies_.size() >= compared_.size() ||
        version != compared_[comparedReplies_.size()])
        return;
    comparedReplies_ << settingsReply;
    if (comparedReplies_.size() < compared_.size()) {
        timer_.start();
        return source_->requestVersion(profile_, compared_[comparedReplies_.size()]);
    }
    const auto older = kdrsm::model::settingsOfReply(comparedReplies_[0]);
    const auto newer = kdrsm::model::settingsOfReply(comparedReplies_[1]);
    const auto* a = std::get_if<kdrsm::model::ServerSettings>(&older);
    const auto* b = std::get_if<kdrsm::model::ServerSettings>(&newer);
    if (!a || !b)
        return showFailure(
            QStringLiteral("version %1 could not be read").arg(compared_[a ? 1 : 0]));
    finish();
    const auto changes = kdrsm::model::differences(*a, *b);
    for (const kdrsm::model::SettingChange& change : changes) {
        const bool secret = change.kind == kdrsm::model::ChangeKind::Secret;
        const QString label = kdrsm::model::captionWords(kdrsm::model::changeLabel(change));
        compare_->addTopLevelItem(new QTreeWidgetItem(
            {label,
             secret ? QString() : shownText(kdrsm::model::shownBefore(change), kMaxShownText),
             secret ? QStringLiteral("changed")
                    : shownText(kdrsm::model::shownAfter(change), kMaxShownText)}));
    }
    status_->setText(changes.isEmpty()
                         ? QStringLiteral("Versions %1 and %2 hold the same settings.")
                               .arg(compared_[0])
                               .arg(compared_[1])
                         : QStringLiteral("Versions %1 and %2 differ in %3 settings.")
                               .arg(compared_[0])
                               .arg(compared_[1])
                               .arg(changes.size()));
}

void HistoryDialog::putBackSelected() {
    const QTreeWidgetItem* change = records_->currentItem();
    if (pending_ != Pending::None || !change || !change->parent()) return;
    const QString key = change->data(0, kPutBackKeyRole).toString();
    if (key.isEmpty()) return;
    putBackWanted_ = PutBack{key, change->data(0, kPutBackEntryRole).toString(),
                             change->data(0, kPutBackValueRole).toString()};
    putBackText_ = QStringLiteral("%1 back to %2").arg(change->text(3), change->text(4));
    QMessageBox confirm(QMessageBox::Question, kBoxTitle,
                        QStringLiteral("Put %1 of %2 back to %3? The other settings stay as they "
                                       "are now.")
                            .arg(change->text(3), serverName_, change->text(4)),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setDefaultButton(QMessageBox::Cancel);
    const QPointer<HistoryDialog> self(this);
    if (confirm.exec() != QMessageBox::Ok || !self) return;
    send(Pending::Settings, QStringLiteral("Fetching the current settings…"));
    source_->requestSettings(profile_);
}

void HistoryDialog::takeSettings(const QString& settingsReply, qint64 version) {
    if (pending_ != Pending::Settings || !putBackWanted_) return;
    const auto current = kdrsm::model::settingsOfReply(settingsReply);
    const auto* now = std::get_if<kdrsm::model::ServerSettings>(&current);
    if (!now) return showFailure(QStringLiteral("the server's settings could not be read"));
    if (version <= 0) return showFailure(QStringLiteral("the server named no version"));
    const auto wanted = withPutBack(*now, *putBackWanted_);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&wanted))
        return showFailure(fault->reason);
    const auto& settings = std::get<kdrsm::model::ServerSettings>(wanted);
    if (kdrsm::model::differences(*now, settings).isEmpty()) {
        finish();
        status_->setText(QStringLiteral("Nothing to do: %1 already holds that value.")
                             .arg(putBackText_.section(QStringLiteral(" back to "), 0, 0)));
        return;
    }
    send(Pending::Update, QStringLiteral("Sending %1…").arg(putBackText_));
    source_->requestUpdate(profile_, kdrsm::model::updateBody(settings), version);
}

void HistoryDialog::takeUpdateAnswer(const jexlink::Envelope& answer) {
    if (pending_ != Pending::Update) return;
    finish();
    if (answer.text == u"1") {
        status_->setText(QStringLiteral("Stored: %1.").arg(putBackText_));
        emit settingPutBack(profile_, putBackText_);
        return refresh();
    }
    QStringList why;
    for (const jexlink::Conflict& conflict : answer.conflicts)
        why << QStringLiteral("%1 was changed meanwhile by %2 (now %3)")
                   .arg(shownText(conflict.setting, kMaxShownText),
                        shownText(conflict.operatorName, kMaxOperatorText),
                        shownText(conflict.theirs, kMaxShownText));
    if (why.isEmpty())
        why << (answer.reason.trimmed().isEmpty() ? QStringLiteral("the server refused it")
                                                  : shownText(answer.reason, kMaxReasonText));
    const QString text = QStringLiteral("The server did not store %1: %2")
                             .arg(putBackText_, why.join(QStringLiteral("; ")));
    status_->setText(text);
    QMessageBox::warning(this, kBoxTitle, text);
}

}  // namespace jexhost::history
