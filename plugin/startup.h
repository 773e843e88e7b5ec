#pragma once
// Start-up of the plug-in on a thread (Main) and the host paths it finds.

#include <QString>

namespace kdrsm {

// Runs Main once on this thread: finds HostRoot and creates objMFD and
// objMemory. Later calls do nothing.
void ensureStarted();

// The start-up routine: HostRoot, then the two sibling components, on the
// error path "SubMain".
void Main();

// True when the library runs inside the development host: the executable's
// name, trimmed and upper-cased, contains "JEXIDE".
bool InIDE();

// The folder of the host process's executable, without trailing separator.
QString GetHostRoot();

// Pure forms of the path rules, for any separator style.
bool isDevelopmentHostPath(const QString& executablePath);
QString folderOfExecutable(const QString& executablePath);
QString hostRootFromLibraryFolder(const QString& libraryFolder);

// The library's own folder (where the component library was loaded from).
QString libraryFolder();

}  // namespace kdrsm
