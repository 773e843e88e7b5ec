#include "host/fleet_ui/fleet_actions.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>

#include "host/fleet/fleet_run.h"
#include "host/fleet_ui/batches_dialog.h"
#include "host/fleet_ui/fleet_dialog.h"
#include "host/host_session.h"
#include "host/servers_ui/server_list_panel.h"

namespace jexhost::fleet_ui {

FleetActions::FleetActions(HostSession& session, servers::ServerListPanel* list, QWidget* window)
    : QObject(window),
      session_(session),
      list_(list),
      window_(window),
      journal_(fleet::BatchJournal::folderOf(session.root())) {}

void FleetActions::addTo(QMenu* menu) {
    menu->addAction(tr("Apply &preset to servers..."), this, [this] { applyPreset(); })
        ->setObjectName(QStringLiteral("applyPresetAction"));
    menu->addAction(tr("&Copy settings to servers..."), this, &FleetActions::copySettings)
        ->setObjectName(QStringLiteral("copySettingsAction"));
    menu->addAction(tr("&Batches..."), this, &FleetActions::showBatches)
        ->setObjectName(QStringLiteral("batchesAction"));
}

FleetContext FleetActions::context() const {
    return {session_.links(), session_.serversFile(), &journal_, session_.traffic()};
}

// Where the panel's Save puts presets: the open server's profile's settings
// folder (or the first target's); the root when it has none yet. The
// panel's Save adds no extension, so the files are shown whatever they end in.
QString FleetActions::presetFolder(const servers::ServerEntry& target) const {
    const auto open = session_.server(session_.openId());
    const QString folder = QStringLiteral("%1/profiles/%2/settings")
                               .arg(session_.root())
                               .arg(open ? open->profile : target.profile);
    return QFileInfo(folder).isDir() ? folder : session_.root();
}

QList<servers::ServerEntry> FleetActions::selectedServers(const QString& leaveOut) const {
    QList<servers::ServerEntry> entries;
    for (const QString& id : list_->selectedIds())
        if (const auto entry = session_.server(id); entry && id != leaveOut) entries << *entry;
    return entries;
}

void FleetActions::show(QWidget* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, SIGNAL(applied(QStringList)), this, SIGNAL(settingsStored(QStringList)));
    dialog->show();
}

FleetDialog* FleetActions::applyPreset(QString file) {
    const auto targets = selectedServers();
    if (targets.isEmpty()) {
        emit notice(tr("Select the servers to apply a preset to first."));
        return nullptr;
    }
    if (file.isEmpty())
        file = QFileDialog::getOpenFileName(window_, tr("Apply preset to servers"),
                                            presetFolder(targets.first()),
                                            tr("Presets (*);;Presets named .ssf (*.ssf)"));
    if (file.isEmpty()) return nullptr;
    auto read = fleet::SettingsSource::fromPresetFile(file);
    if (const auto* reason = std::get_if<QString>(&read)) {
        QMessageBox::warning(window_, tr("Apply preset to servers"), *reason);
        return nullptr;
    }
    auto* dialog = new FleetDialog(context(), std::get<fleet::SettingsSource>(std::move(read)),
                                   targets, window_);
    show(dialog);
    return dialog;
}

void FleetActions::copySettings() {
    const auto from = session_.server(session_.openId());
    if (!from) return emit notice(tr("Open the server to copy settings from first."));
    const auto targets = selectedServers(from->id);
    if (targets.isEmpty())
        return emit notice(tr("Select the servers to copy the settings of %1 to.").arg(from->name));
    auto* run = new fleet::FleetRun(*session_.links(), session_.serversFile(), nullptr, this);
    run->setTraffic(session_.traffic());
    const QString fetching = tr("Fetching the settings of %1…").arg(from->name);
    emit notice(fetching);
    run->fetch(*from, [this, self = QPointer(this), run, name = from->name, targets,
                       fetching](const fleet::Fetched& fetched) {
        if (!self) return;  // the window closed meanwhile, and the run with it
        run->deleteLater();
        emit noticeOver(fetching);
        if (!fetched.settings) {
            QMessageBox::warning(
                window_, tr("Copy settings to servers"),
                tr("The settings of %1 could not be fetched: %2").arg(name, fetched.reason));
            return;
        }
        show(new FleetDialog(context(),
                             fleet::SettingsSource::fromSettings(*fetched.settings, name), targets,
                             window_));
    });
}

BatchesDialog* FleetActions::showBatches() {
    auto* dialog = new BatchesDialog(
        context(), [this] { return session_.servers()->servers(); }, window_);
    show(dialog);
    return dialog;
}

}  // namespace jexhost::fleet_ui
