#pragma once
// Replies from the remote server manager: the settings reply fills the form,
// the update acknowledgement becomes a notice.

#include <QString>

namespace kdrsm {

// Handles one reply on the error path "RemoteData" (error 5 skips one step).
void handleRemoteData(const QString& data);

}  // namespace kdrsm
