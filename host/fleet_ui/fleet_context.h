#pragma once
// What the fleet dialogs need of the console: its links, where its servers
// file is (for the token files), the journal of its batches and the traffic
// view every request shows in.

#include <QString>

class QObject;
class QProgressBar;

namespace jexhost {
class LinkPool;
namespace traffic {
class TrafficModel;
}
}  // namespace jexhost
namespace jexhost::fleet {
class BatchJournal;
class FleetRun;
}  // namespace jexhost::fleet

namespace jexhost::fleet_ui {

struct FleetContext {
    LinkPool* links = nullptr;
    QString serversFile;
    const fleet::BatchJournal* journal = nullptr;
    traffic::TrafficModel* traffic = nullptr;
};

// A run over the context's links, owned by `owner`, that moves `progress`.
fleet::FleetRun* newRun(const FleetContext& context, QProgressBar* progress, QObject* owner);

}  // namespace jexhost::fleet_ui
