#include "host/panel_state.h"

namespace jexhost {

namespace {

QString clock(const QDateTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString remoteName(const servers::ServerEntry& server) {
    return server.isEmbedded() ? QStringLiteral("The console's own remote side") : server.remote;
}

QString nextTry(const servers::LinkStatus& link) {
    return link.nextTry.isValid() ? QStringLiteral(" Next try at %1.").arg(clock(link.nextTry))
                                  : QString();
}

}  // namespace

QString panelStateText(PanelState state, const servers::ServerEntry& server,
                       const servers::LinkStatus& link, const QString& reason) {
    switch (state) {
        case PanelState::Closed:
        case PanelState::Shown:
            return {};
        case PanelState::Connecting:
            return QStringLiteral("Connecting to %1 for %2…").arg(server.remote, server.name);
        case PanelState::Refused:
            if (!link.detail.isEmpty() && link.detail != server.remote)
                return QStringLiteral("%1: the token cannot be presented (%2).")
                    .arg(server.name, link.detail);
            return QStringLiteral("%1 refused the token of %2%3.%4")
                .arg(
                    remoteName(server), server.name,
                    server.isEmbedded() ? QString() : QStringLiteral(" (%1)").arg(server.tokenFile),
                    nextTry(link));
        case PanelState::Unreachable:
            return QStringLiteral("%1 cannot be reached%2.%3")
                .arg(remoteName(server),
                     link.since.isValid() ? QStringLiteral(" since %1").arg(clock(link.since))
                                          : QString(),
                     nextTry(link));
        case PanelState::TimedOut:
            return QStringLiteral("%1 did not answer in time.%2")
                .arg(remoteName(server), nextTry(link));
        case PanelState::NotManaged:
            return QStringLiteral("%1 does not manage profile %2.")
                .arg(remoteName(server))
                .arg(server.profile);
        case PanelState::NoPanel:
            return QStringLiteral("%1 cannot be shown: %2").arg(server.name, reason);
    }
    return {};
}

bool panelStateOffersRetry(PanelState state) {
    return state == PanelState::Refused || state == PanelState::Unreachable ||
           state == PanelState::TimedOut || state == PanelState::NotManaged;
}

}  // namespace jexhost
