#pragma once
// The traffic view's rows for link messages sent past the panel's relay
// (fleet runs, the History dialog): a request text shows as the relay shows
// it, with its update's fields and changes; a history, revert or kept-version
// message by what it asks. A request of a fleet batch names the batch.

#include <QString>

#include "host/link/remote_link.h"
#include "host/traffic/traffic_model.h"

namespace jexhost {

// How the traffic view shows a request that got `failure` (not None) instead
// of an answer.
traffic::TrafficState trafficStateOf(LinkFailure failure);

// The row of `message`, sent to `server`; 0 without a model. `batch` marks a
// message that carries none itself.
quint64 showLinkMessage(traffic::TrafficModel* model, const QString& server, const QString& message,
                        const QString& batch = {});
// Its answer, or the failure that came instead.
void showLinkAnswer(traffic::TrafficModel* model, quint64 row, const QString& answer,
                    LinkFailure failure);

}  // namespace jexhost
