#include "plugin/startup.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

#include "diagnostics/error_trap.h"
#include "jex/components.h"
#include "jex/hostpaths.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

}  // namespace

bool isDevelopmentHostPath(const QString& executablePath) {
    return executablePath.trimmed().toUpper().contains(QStringLiteral("JEXIDE"));
}

QString folderOfExecutable(const QString& executablePath) {
    // Drop the last piece (the file name) and the separator before it.
    const qsizetype separator = lastSeparator(executablePath);
    return separator < 0 ? QString() : executablePath.left(separator);
}

QString hostRootFromLibraryFolder(const QString& libraryFolder) {
    // Plug-ins live in a Plugins folder or in the server manager's own dlls
    // folder below the host root; cutting those pieces out leaves the root.
    // Case-sensitive, wherever the piece stands, in either separator style.
    QString root = libraryFolder;
    for (const QString& piece : {QStringLiteral("/Plugins"), QStringLiteral("/plugins"),
                                 QStringLiteral("/dlls/KDR Server Manager")}) {
        root.remove(piece, Qt::CaseSensitive);
        root.remove(QString(piece).replace(u'/', u'\\'), Qt::CaseSensitive);
    }
    return root;
}

QString libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) == 0 || !info.dli_fname)
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

bool InIDE() {
    return isDevelopmentHostPath(jex::hostExecutablePath());
}

QString GetHostRoot() {
    return folderOfExecutable(jex::hostExecutablePath());
}

void Main() {
    ModuleState& state = mdl();
    ErrorTrap trap(QStringLiteral("SubMain"));
    trap.step(10, [&] {
        state.HostRoot = InIDE() ? hostRootFromLibraryFolder(libraryFolder()) : GetHostRoot();
    });
    trap.step(20, [&] { state.objMFD = jex::createObject(QStringLiteral("jexrcZTA.clsMFD")); });
    trap.step(30,
              [&] { state.objMemory = jex::createObject(QStringLiteral("jexrcWOB.clsMemory")); });
}

void ensureStarted() {
    ModuleState& state = mdl();
    if (state.started) return;
    state.started = true;
    Main();
}

}  // namespace kdrsm
