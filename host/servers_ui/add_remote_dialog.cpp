#include "host/servers_ui/add_remote_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "host/games/add_remote.h"
#include "host/host_game_options.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "remote/remote_service.h"

namespace jexhost::servers {

AddRemoteDialog::AddRemoteDialog(LinkPool* links, QString serversFile, QStringList catalogueGames,
                                 QWidget* parent)
    : QDialog(parent),
      links_(links),
      serversFile_(std::move(serversFile)),
      catalogueGames_(std::move(catalogueGames)),
      address_(new QLineEdit),
      tokenFile_(new QLineEdit),
      table_(new QTableWidget(0, 4)),
      status_(new QLabel),
      add_(new QPushButton(tr("&Add"))) {
    setWindowTitle(tr("Add a remote's servers"));
    address_->setObjectName(QStringLiteral("address"));
    address_->setPlaceholderText(QStringLiteral("ws://HOST:PORT"));
    tokenFile_->setObjectName(QStringLiteral("tokenFile"));
    auto* browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName(QStringLiteral("browse"));
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(tokenFile_);
    tokenRow->addWidget(browse);
    auto* list = new QPushButton(tr("&List"));
    list->setObjectName(QStringLiteral("list"));
    auto* form = new QFormLayout;
    form->addRow(tr("A&ddress:"), address_);
    form->addRow(tr("&Token file:"), tokenRow);

    table_->setObjectName(QStringLiteral("profiles"));
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Profile"), tr("Game definition"), {}});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    add_->setObjectName(QStringLiteral("add"));
    add_->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(add_, QDialogButtonBox::AcceptRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(list, 0, Qt::AlignRight);
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &AddRemoteDialog::chooseTokenFile);
    connect(list, &QPushButton::clicked, this, &AddRemoteDialog::listProfiles);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddRemoteDialog::addChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, 360);
}

void AddRemoteDialog::say(const QString& text) {
    status_->setText(text);
}

void AddRemoteDialog::chooseTokenFile() {
    const QPointer<AddRemoteDialog> self(this);
    const QString start = tokenFile_->text().isEmpty()
                              ? QFileInfo(serversFile_).absolutePath()
                              : QFileInfo(tokenFile_->text()).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Token file"), start);
    // The chooser waits in a loop of its own: the dialog may be gone after it.
    if (self && !chosen.isEmpty()) tokenFile_->setText(chosen);
}

void AddRemoteDialog::listProfiles() {
    const int asked = ++asked_;  // an answer still due to an earlier List no longer counts
    table_->setRowCount(0);
    profiles_.clear();
    add_->setEnabled(false);
    const QString address = address_->text().trimmed();
    const QString token = tokenFile_->text().trimmed();
    if (!isLinkAddress(address))
        return say(
            tr("The address is ws://HOST:PORT or wss://HOST:PORT, not \"%1\".").arg(address));
    QString reason;
    if (!jexremote::firstToken(token, &reason)) return say(reason);
    if (!links_) return say(tr("The console's links are closed."));
    remote_ = QUrl(address).toString();
    listedToken_ = token;
    say(tr("Asking %1 for its profiles...").arg(remote_));
    const QPointer<AddRemoteDialog> self(this);
    games::askProfiles(*links_, remote_, token, [self, asked](auto profiles, const QString& why) {
        if (!self || !self->isVisible() || self->asked_ != asked) return;
        if (!profiles) return self->say(why);
        self->showProfiles(*profiles);
    });
}

void AddRemoteDialog::showProfiles(const QList<jexlink::ProfileEntry>& profiles) {
    const auto read = readServersFile(serversFile_);
    if (!read.ok()) return say(read.error);
    profiles_ = profiles;
    table_->setRowCount(int(profiles.size()));
    for (int row = 0; row < profiles.size(); ++row) {
        const auto& profile = profiles[row];
        const ServerEntry* listed = games::listedAs(read.servers, remote_, profile.profile);
        auto* name = new QTableWidgetItem(profile.name);
        name->setFlags(Qt::ItemIsUserCheckable | (listed ? Qt::NoItemFlags : Qt::ItemIsEnabled));
        name->setCheckState(listed ? Qt::Checked : Qt::Unchecked);
        table_->setItem(row, NameColumn, name);
        table_->setItem(row, ProfileColumn, new QTableWidgetItem(QString::number(profile.profile)));
        table_->setItem(row, DefinitionColumn,
                        new QTableWidgetItem(profile.game.isEmpty() ? tr("none") : profile.game));
        table_->setItem(row, NoteColumn,
                        new QTableWidgetItem(listed ? tr("already listed as %1").arg(listed->name)
                                                    : QString()));
    }
    table_->resizeColumnsToContents();
    add_->setEnabled(!profiles.isEmpty());
    say(profiles.isEmpty() ? tr("%1 holds no profiles.").arg(remote_)
                           : tr("Tick the profiles to add."));
}

void AddRemoteDialog::addChosen() {
    QList<jexlink::ProfileEntry> chosen;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QTableWidgetItem* item = table_->item(row, NameColumn);
        if (item->checkState() == Qt::Checked && (item->flags() & Qt::ItemIsEnabled))
            chosen << profiles_[row];
    }
    if (chosen.isEmpty()) return say(tr("Tick the profiles to add."));
    // The file as it is now: another window may have changed it meanwhile.
    const auto read = readServersFile(serversFile_);
    if (!read.ok()) return say(read.error);
    QString error;
    const auto planned = games::plannedAdditions(remote_, listedToken_, serversFile_, chosen,
                                                 read.servers, catalogueGames_, &error);
    if (!error.isEmpty()) return say(error);
    QList<ServerEntry> adding;
    for (const auto& addition : planned) adding << addition.entry;
    if (!adding.isEmpty() && !addServers(serversFile_, &adding, &error)) return say(error);
    added_ = adding;
    accept();
}

}  // namespace jexhost::servers
