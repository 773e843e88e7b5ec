#pragma once
// The update the console sends again after the operator chose whose values a
// refused update's conflicts keep. It is made from the settings the server
// holds now: every change the operator made (the refused body against the
// settings it was made from) is applied over them, and where both changed a
// setting, "Keep mine" takes the operator's value and "Fetch theirs" the
// server's. Sent with the current version as its base, it changes only what
// the operator changed.

#include <QString>

#include "exchange/model/server_settings.h"

namespace jexhost::sync {

enum class Keep { Theirs, Mine };

struct Resolution {
    QString body;                   // the update body to send
    bool changesSomething = false;  // false: the server holds it already
};

// `baseReply` is the settings reply the refused `body` was made from,
// `currentReply` what the server holds now. A fault when one cannot be read.
kdrsm::model::Read<Resolution> resolveConflicts(const QString& baseReply,
                                                const QString& currentReply, const QString& body,
                                                Keep keep);

}  // namespace jexhost::sync
