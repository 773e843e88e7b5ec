#pragma once
// File-system helpers for the operations the panel performs on folders and
// files. Failures raise numbered errors (53, 58, 70, 75, 76), never crash.

#include <QString>

#include "jex/export.h"

namespace jex::fs {

JEX_RUNTIME_EXPORT bool folderExists(const QString& path);
JEX_RUNTIME_EXPORT bool fileExists(const QString& path);

// Creates one folder level: a missing parent raises 76, an existing entry 58,
// a parent that may not be written 70.
JEX_RUNTIME_EXPORT void createFolder(const QString& path);

// Creates an empty text file, replacing one of the same name when
// `overwrite` is true (else an existing file raises 58). A missing folder
// raises 76, no write permission 70.
JEX_RUNTIME_EXPORT void createTextFile(const QString& path, bool overwrite = true);

// Deletes a file: missing raises 53, not deletable 70.
JEX_RUNTIME_EXPORT void deleteFile(const QString& path);

// Size in bytes: missing raises 53.
JEX_RUNTIME_EXPORT qint64 fileSize(const QString& path);

}  // namespace jex::fs
