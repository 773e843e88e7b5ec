#include "support/temp_host.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace jextest {

// The host root is also announced through JEX_HOST_ROOT, so components that
// base their files on the host's folder (logs, reports) write here too.
TempHost::TempHost() : root_(dir_.path()), previousRootVariable_(qgetenv("JEX_HOST_ROOT")) {
    qputenv("JEX_HOST_ROOT", root_.toLocal8Bit());
}

TempHost::~TempHost() {
    if (previousRootVariable_.isEmpty())
        qunsetenv("JEX_HOST_ROOT");
    else
        qputenv("JEX_HOST_ROOT", previousRootVariable_);
}

void TempHost::write(const QString& relative, const QByteArray& content) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
}

QByteArray TempHost::read(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QMap<QString, QByteArray> filesBelow(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(QDir(folder).relativeFilePath(file.fileName()),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)");
    }
    return files;
}

bool TempHost::exists(const QString& relative) const {
    return QFileInfo::exists(path(relative));
}

}  // namespace jextest
