#pragma once
// What the fleet dialogs need of the console: its links, where its servers
// file is (for the token files) and the journal of its batches.

#include <QString>

class QObject;
class QProgressBar;

namespace jexhost {
class LinkPool;
}
namespace jexhost::fleet {
class BatchJournal;
class FleetRun;
}

namespace jexhost::fleet_ui {

struct FleetContext {
    LinkPool* links = nullptr;
    QString serversFile;
    const fleet::BatchJournal* journal = nullptr;
};

// A run over the context's links, owned by `owner`, that moves `progress`.
fleet::FleetRun* newRun(const FleetContext& context, QProgressBar* progress, QObject* owner);

}  // namespace jexhost::fleet_ui
