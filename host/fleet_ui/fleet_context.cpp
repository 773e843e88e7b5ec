#include "host/fleet_ui/fleet_context.h"

#include <QProgressBar>

#include "host/fleet/fleet_run.h"

namespace jexhost::fleet_ui {

fleet::FleetRun* newRun(const FleetContext& context, QProgressBar* progress, QObject* owner) {
    auto* run = new fleet::FleetRun(*context.links, context.serversFile, context.journal, owner);
    run->setTraffic(context.traffic);
    QObject::connect(run, &fleet::FleetRun::progress, progress, [progress](int done, int total) {
        progress->setRange(0, total);
        progress->setValue(done);
    });
    return run;
}

}  // namespace jexhost::fleet_ui
