#include "jex/hostpaths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace jex {

QString hostExecutablePath() {
    const QString exe = QCoreApplication::applicationFilePath();
    const QString root = qEnvironmentVariable("JEX_HOST_ROOT");
    if (root.isEmpty()) return exe;
    return root + u'/' + QFileInfo(exe).fileName();
}

QString hostExecutableFolder() {
    return QFileInfo(hostExecutablePath()).path();
}

}  // namespace jex
