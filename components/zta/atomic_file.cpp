#include "atomic_file.h"

#include <QFileInfo>

#include <cerrno>

#include "jex/durable_file.h"
#include "jex/error.h"

namespace zta {

namespace {

// The run-time error number of a failed write.
qint32 errorOf(int code) {
    switch (code) {
        case ENOENT:
        case ENOTDIR:
            return jex::err::PathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return jex::err::PermissionDenied;
        case ENOSPC:
        case EDQUOT:
            return jex::err::DiskFull;
        default:
            return jex::err::PathFileAccess;
    }
}

}  // namespace

void writeFileAtomically(const QString& path, QByteArrayView content) {
    if (path.isEmpty()) jex::raise(jex::err::BadFileName);
    if (QFileInfo(path).isDir()) jex::raise(jex::err::PathFileAccess);
    // Owner-only: presets and error reports may hold a server's passwords.
    if (const auto failure = jex::fs::writeFileDurably(path, content))
        jex::raise(errorOf(failure->code));
}

}  // namespace zta
