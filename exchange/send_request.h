#pragma once
// Sends a command to the remote server manager by writing its request file
// into HostRoot/RCData for the host to carry. Errors reach the caller.

#include <QString>

namespace kdrsm {

void SendRequest(const QString& command, const QString& data);

}  // namespace kdrsm
