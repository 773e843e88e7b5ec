#include "exchange/send_request.h"

#include "exchange/wire/request.h"
#include "jex/filesystem.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"

namespace kdrsm {

void SendRequest(const QString& command, const QString& data) {
    const ModuleState& state = mdl();
    const QString path = wire::requestFilePath(state.HostRoot, command);
    const QString folder = wire::requestFolder(state.HostRoot);
    if (!jex::fs::folderExists(folder)) jex::fs::createFolder(folder);
    // An unread request of the same command is replaced, never appended to.
    if (jex::fs::fileExists(path)) jex::fs::deleteFile(path);
    jex::fs::createTextFile(path, true);
    const QString text = wire::requestText(command, state.HostTag, state.ProfileIndex, data);
    jex::call(state.objMFD, "WriteFile", {path, text});
}

}  // namespace kdrsm
