#include "jex/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

#include "jex/error.h"

namespace jex::fs {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Maps an errno left by a failed system call to the run-time error number.
[[noreturn]] void raiseErrno(int code, qint32 fallback) {
    switch (code) {
        case ENOENT:
        case ENOTDIR:
            raise(err::PathNotFound);
        case EACCES:
        case EPERM:
        case EROFS:
            raise(err::PermissionDenied);
        case EEXIST:
            raise(err::FileAlreadyExists);
        case ENOSPC:
            raise(err::DiskFull);
        case ENAMETOOLONG:
            raise(err::BadFileName);
        default:
            raise(fallback);
    }
}

}  // namespace

bool folderExists(const QString& path) {
    if (path.isEmpty()) return false;
    return QFileInfo(path).isDir();
}

bool fileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void createFolder(const QString& path) {
    if (path.isEmpty()) raise(err::PathNotFound);
    if (::mkdir(native(path).constData(), 0777) != 0) raiseErrno(errno, err::PathFileAccess);
}

void createTextFile(const QString& path, bool overwrite) {
    if (path.isEmpty()) raise(err::BadFileName);
    if (folderExists(path)) raise(err::PermissionDenied);
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (!overwrite) flags |= O_EXCL;
    const int fd = ::open(native(path).constData(), flags, 0666);
    if (fd < 0) raiseErrno(errno, err::PathFileAccess);
    ::close(fd);
}

void deleteFile(const QString& path) {
    if (!fileExists(path)) raise(err::FileNotFound);
    if (::unlink(native(path).constData()) != 0) raiseErrno(errno, err::PathFileAccess);
}

qint64 fileSize(const QString& path) {
    if (!fileExists(path)) raise(err::FileNotFound);
    return QFileInfo(path).size();
}

}  // namespace jex::fs
