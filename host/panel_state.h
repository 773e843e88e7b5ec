#pragma once
// What the panel area shows for the open server. The form is shown only once
// that server's own settings have come; until then, and whenever they cannot
// come, the area says why in the operator's words.

#include <QString>

#include "host/servers/server_entry.h"
#include "host/servers/server_list_model.h"

namespace jexhost {

enum class PanelState {
    Closed,      // no server open
    Connecting,  // waiting for the link or the first answer
    Shown,       // the form holds this server's settings
    Refused,     // the remote side did not accept the token, or there is none
    Unreachable,
    TimedOut,
    NotManaged,  // the remote side answered that it does not manage the profile
    NoPanel,     // no plug-in could show it
};

// The text in place of the form. `link` is the state of the server's link;
// `reason` is why no panel could be shown (NoPanel).
QString panelStateText(PanelState state, const servers::ServerEntry& server,
                       const servers::LinkStatus& link, const QString& reason = {});

// Whether the operator can do something about it with Retry.
bool panelStateOffersRetry(PanelState state);

}  // namespace jexhost
