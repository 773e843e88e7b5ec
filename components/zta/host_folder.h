#pragma once
// Folders this component keeps below the host's folder.

#include <QString>

namespace zta {

// The folder `name` below the host's folder, created when missing. Raises
// when it cannot be created.
QString hostSubfolder(const QString& name);

}  // namespace zta
