#include "atomic_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include "jex/error.h"

namespace zta {

namespace {

qint32 openFailure(const QFileInfo& target, const QFileInfo& folder) {
    if ((target.exists() && !target.isWritable()) || !folder.isWritable())
        return jex::err::PermissionDenied;
    return jex::err::PathFileAccess;
}

}  // namespace

void writeFileAtomically(const QString& path, QByteArrayView content) {
    if (path.isEmpty()) jex::raise(jex::err::BadFileName);
    const QFileInfo target(path);
    if (target.isDir()) jex::raise(jex::err::PathFileAccess);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir()) jex::raise(jex::err::PathNotFound);

    // An uncommitted QSaveFile removes its temporary file when destroyed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) jex::raise(openFailure(target, folder));
    if (!target.exists()) file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    // Flushed here, not by commit(): QSaveFile overlooks an error of the
    // flush inside commit() (a full disk) and would rename an empty file
    // over the old one.
    const bool written =
        file.write(content.data(), content.size()) == content.size() && file.flush();
    if (!written || !file.commit()) {
        jex::raise(file.error() == QFileDevice::ResourceError ? jex::err::DiskFull
                                                              : jex::err::PathFileAccess);
    }
}

}  // namespace zta
