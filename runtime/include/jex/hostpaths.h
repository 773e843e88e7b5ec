#pragma once
// Where the host process lives. Every component bases its files on it.

#include <QString>

#include "jex/export.h"

namespace jex {

// The host executable's full path. A development host or a test may place
// the host elsewhere with the environment variable JEX_HOST_ROOT: the path
// is then the executable's file name inside that folder.
JEX_RUNTIME_EXPORT QString hostExecutablePath();

// The folder of hostExecutablePath(), without a trailing separator.
JEX_RUNTIME_EXPORT QString hostExecutableFolder();

}  // namespace jex
