#include "host/servers_ui/server_list_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "host/servers/server_filter.h"
#include "host/servers/server_list_model.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/add_remote_dialog.h"
#include "host/servers_ui/server_dialog.h"

namespace jexhost::servers {

ServerListPanel::ServerListPanel(ServerListModel* model, const QString& serversFile,
                                 QWidget* parent)
    : QWidget(parent),
      model_(model),
      serversFile_(serversFile),
      filter_(new ServerFilter(this)),
      filterBox_(new QLineEdit(this)),
      view_(new QTableView(this)),
      count_(new QLabel(this)) {
    filter_->setSourceModel(model_);
    filterBox_->setObjectName(QStringLiteral("serverFilter"));
    filterBox_->setPlaceholderText(tr("Filter by name, game, remote or state"));
    filterBox_->setClearButtonEnabled(true);
    connect(filterBox_, &QLineEdit::textChanged, filter_, &ServerFilter::setText);
    view_->setModel(filter_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Many servers at once for fleet operations; Edit and Remove take the current one.
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    // Rows of one height: thousands of servers scroll without measuring each.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Name and link as wide as their text; game and remote share the rest,
    // cut short in the middle when they must be (the tooltip has all of it),
    // but never below a legible width: a narrow list scrolls instead.
    QHeaderView* header = view_->horizontalHeader();
    header->setMinimumSectionSize(90);
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(ServerListModel::NameColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ServerListModel::LinkColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ServerListModel::ChangedColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ServerListModel::GameColumn, QHeaderView::ResizeToContents);
    // Measured on the rows in sight: games change all the time, and a
    // thousand rows measured at each change would cost a core.
    header->setResizeContentsPrecision(0);
    view_->setColumnHidden(ServerListModel::ChangedColumn, !model_->hasChangeMarks());
    connect(model_, &ServerListModel::changeMarksShown, this,
            [this](bool shown) { view_->setColumnHidden(ServerListModel::ChangedColumn, !shown); });
    view_->setTextElideMode(Qt::ElideMiddle);
    view_->setWordWrap(false);
    // A header click sorts; a third one on the same header gives the file's order back.
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    view_->setSortingEnabled(true);
    count_->setObjectName(QStringLiteral("serverCount"));
    connect(filter_, &QAbstractItemModel::rowsInserted, this, &ServerListPanel::showCount);
    connect(filter_, &QAbstractItemModel::rowsRemoved, this, &ServerListPanel::showCount);
    connect(filter_, &QAbstractItemModel::modelReset, this, &ServerListPanel::showCount);
    connect(filter_, &QAbstractItemModel::layoutChanged, this, &ServerListPanel::showCount);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ServerListPanel::showCount);
    showCount();

    auto* add = new QPushButton(tr("Add..."), this);
    auto* edit = new QPushButton(tr("Edit..."), this);
    auto* remove = new QPushButton(tr("Remove"), this);
    add->setObjectName(QStringLiteral("add"));
    edit->setObjectName(QStringLiteral("edit"));
    remove->setObjectName(QStringLiteral("remove"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(edit);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(filterBox_);
    layout->addWidget(view_);
    layout->addWidget(count_);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &ServerListPanel::addServer);
    connect(edit, &QPushButton::clicked, this, &ServerListPanel::editServer);
    connect(remove, &QPushButton::clicked, this, &ServerListPanel::removeServer);
    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
        emit openRequested(model_->server(sourceRow(index)).id);
    });

    // The list's keys: Ctrl+N adds, F2 edits, Delete removes (Enter opens).
    const struct {
        QKeySequence keys;
        void (ServerListPanel::*slot)();
        const char* name;
    } keys[] = {{QKeySequence::New, &ServerListPanel::addServer, "addKey"},
                {QKeySequence(Qt::Key_F2), &ServerListPanel::editServer, "editKey"},
                {QKeySequence::Delete, &ServerListPanel::removeServer, "removeKey"}};
    for (const auto& key : keys) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(key.name));
        action->setShortcut(key.keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, key.slot);
        addAction(action);
    }
}

int ServerListPanel::sourceRow(const QModelIndex& shown) const {
    return filter_->mapToSource(shown).row();
}

QString ServerListPanel::currentId() const {
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? model_->server(sourceRow(current)).id : QString();
}

QStringList ServerListPanel::selectedIds() const {
    QList<int> rows;
    for (const QModelIndex& shown : view_->selectionModel()->selectedRows())
        rows << sourceRow(shown);
    std::sort(rows.begin(), rows.end());
    QStringList ids;
    for (const int row : rows) ids << model_->server(row).id;
    return ids;
}

void ServerListPanel::showCount() {
    const int all = model_->rowCount();
    const int shown = filter_->rowCount();
    const auto selected = view_->selectionModel()->selectedRows().size();
    const QString noun = all == 1 ? tr("server") : tr("servers");
    const QString servers = all == shown ? tr("%1 %2").arg(all).arg(noun)
                                         : tr("%1 of %2 %3 shown").arg(shown).arg(all).arg(noun);
    count_->setText(selected > 0 ? tr("%1, %2 selected").arg(servers).arg(selected) : servers);
}

void ServerListPanel::selectServer(const QString& id) {
    const int row = model_->rowOf(id);
    if (row < 0) return;
    const QModelIndex shown = filter_->mapFromSource(model_->index(row, 0));
    if (shown.isValid()) view_->selectRow(shown.row());
}

void ServerListPanel::addServer() {
    ServerDialog dialog(nullptr, model_->servers(), knownGames_, serversFile_, this);
    dialog.setEmbeddedProfiles(embeddedProfiles_);
    if (dialog.exec() != QDialog::Accepted) return;
    ServerEntry entry = dialog.entry();
    QString error;
    if (!servers::addServer(serversFile_, &entry, &error)) return refuse(error);
    reload();
    selectServer(entry.id);
    emit notice(tr("%1 added to the server list.").arg(entry.name));
}

void ServerListPanel::addRemoteServers(LinkPool* links) {
    // On the heap: the panel may go while the dialog waits, and takes it along.
    const QPointer<AddRemoteDialog> dialog =
        new AddRemoteDialog(links, serversFile_, knownGames_, this);
    const bool added = dialog->exec() == QDialog::Accepted;
    if (!dialog) return;
    const QList<ServerEntry> entries = dialog->added();
    delete dialog;
    if (!added || entries.isEmpty()) return;
    reload();
    selectServer(entries.first().id);
    QStringList names;
    for (const ServerEntry& entry : entries) names << entry.name;
    emit notice(tr("%1 added to the server list.").arg(names.join(QStringLiteral(", "))));
}

void ServerListPanel::editServer() {
    const int row = model_->rowOf(currentId());
    if (row < 0) return;
    const ServerEntry before = model_->server(row);
    if (guard_ && !guard_(before.id)) return;
    ServerDialog dialog(&before, model_->servers(), knownGames_, serversFile_, this);
    dialog.setEmbeddedProfiles(embeddedProfiles_);
    if (dialog.exec() != QDialog::Accepted || dialog.entry() == before) return;
    QString error;
    if (!updateServer(serversFile_, dialog.entry(), &error)) return refuse(error);
    reload();
    selectServer(before.id);
    emit serverChanged(before.id);
    emit notice(tr("%1 saved.").arg(dialog.entry().name));
}

void ServerListPanel::removeServer() {
    const int row = model_->rowOf(currentId());
    if (row < 0) return;
    const ServerEntry gone = model_->server(row);
    if (guard_ && !guard_(gone.id)) return;
    // Built here so that its result is the code it was closed with, by a
    // button or by done().
    QMessageBox confirm(QMessageBox::Question, tr("Remove server"),
                        tr("Remove \"%1\" from the server list?").arg(gone.name),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setDefaultButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Ok) return;
    QString error;
    if (!servers::removeServer(serversFile_, gone.id, &error)) return refuse(error);
    reload();
    emit serverRemoved(gone.id);
    emit notice(tr("%1 removed from the server list.").arg(gone.name));
}

void ServerListPanel::reload() {
    const ServersRead read = readServersFile(serversFile_);
    if (!read.ok()) return refuse(read.error);
    model_->setServers(read.servers);
}

void ServerListPanel::refuse(const QString& error) {
    QMessageBox::warning(this, tr("Servers"), error);
}

}  // namespace jexhost::servers
