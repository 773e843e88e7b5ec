#pragma once
// The console's fleet entries of the Server menu: Apply preset to servers...
// (a .ssf chosen in a file dialog), Copy settings to servers... (from the
// open panel's server) and Batches.... Each acts on the servers selected in
// the list and opens its dialog; what they store is announced so that an
// open panel among them fetches again.

#include <QObject>
#include <QStringList>

#include "host/fleet/batch_journal.h"

class QMenu;
class QWidget;

namespace jexhost {
class HostSession;
namespace servers {
class ServerListPanel;
}
}  // namespace jexhost

namespace jexhost::fleet_ui {

class BatchesDialog;
class FleetDialog;
struct FleetContext;

class FleetActions final : public QObject {
    Q_OBJECT
public:
    FleetActions(HostSession& session, servers::ServerListPanel* list, QWidget* window);

    void addTo(QMenu* menu);

    // The dialog for preset `file` (asked for in a file dialog when empty)
    // and the selected servers; null when there is none to open.
    FleetDialog* applyPreset(QString file = {});
    // Fetches the open server's settings, then opens the dialog for the
    // selected servers (the open one left out).
    void copySettings();
    BatchesDialog* showBatches();

signals:
    void notice(const QString& text);
    // The work a notice told of is over: the notice goes, unless another
    // took its place.
    void noticeOver(const QString& text);
    // Settings were stored on these servers.
    void settingsStored(const QStringList& serverIds);

private:
    FleetContext context() const;
    QList<servers::ServerEntry> selectedServers(const QString& leaveOut = {}) const;
    QString presetFolder(const servers::ServerEntry& target) const;
    void show(QWidget* dialog);

    HostSession& session_;
    servers::ServerListPanel* list_;
    QWidget* window_;
    fleet::BatchJournal journal_;
};

}  // namespace jexhost::fleet_ui
