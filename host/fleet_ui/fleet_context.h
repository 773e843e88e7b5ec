#pragma once
// What the fleet dialogs need of the console: its links, where its servers
// file is (for the token files) and the journal of its batches.

#include <QString>

namespace jexhost {
class LinkPool;
}
namespace jexhost::fleet {
class BatchJournal;
}

namespace jexhost::fleet_ui {

struct FleetContext {
    LinkPool* links = nullptr;
    QString serversFile;
    const fleet::BatchJournal* journal = nullptr;
};

}  // namespace jexhost::fleet_ui
