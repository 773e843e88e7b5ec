#pragma once
// Writing files so that a success means the bytes are on disk, and a failure
// leaves the old file whole. Qt 6.4's QSaveFile::commit() overlooks a failed
// flush (a full disk) and renames an empty file over the old one; everything
// that writes a file goes through these routines instead.
//
// A replacement is written to "NAME.partial-XXXXXX" beside the file (created
// owner-only, never through a symbolic link), checked byte for byte, synced
// with fsync, renamed over NAME, and the folder is synced so the new name
// survives a power cut. A file that is a symbolic link or not a regular file
// is never written: the write is refused.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

#include "jex/export.h"

namespace jex::fs {

// The steps of a write, as failures and the test seam name them.
enum class WriteStep { Open, Write, Sync, Rename, SyncFolder };

struct WriteFailure {
    WriteStep step = WriteStep::Open;
    int code = 0;    // the errno of the failed call
    QString text;    // "cannot write PATH: No space left on device"
    QString reason;  // "No space left on device"
};

// Replaces the file's whole content; the file gets `mode` (owner-only by
// default) whatever the umask. Nothing on success.
JEX_RUNTIME_EXPORT std::optional<WriteFailure> writeFileDurably(const QString& path,
                                                                QByteArrayView content,
                                                                int mode = 0600);

// As writeFileDurably, for the file `name` in a folder the caller opened
// (see openFolderBelow); `path` names the file in failures and to the test
// seam.
JEX_RUNTIME_EXPORT std::optional<WriteFailure> writeFileDurablyAt(int folder, const QString& name,
                                                                  const QString& path,
                                                                  QByteArrayView content,
                                                                  int mode = 0600);

// Opens the folder `relative` ("versions/server-0") below `root`, never
// following a symbolic link on the way: a link planted in place of one of
// its folders fails the open (ELOOP) instead of sending writes elsewhere.
// When `create`, missing folders are made owner-only. The open descriptor,
// which the caller closes, or the failure.
JEX_RUNTIME_EXPORT std::variant<int, WriteFailure> openFolderBelow(const QString& root,
                                                                   const QString& relative,
                                                                   bool create);

// Appends `line` (which ends with a line break) to an owner-only file,
// created when missing, and syncs it. A file that does not end with a line
// break (a line cut by a crash) gets one first, so the line starts fresh. On
// failure the file is cut back to its old length.
JEX_RUNTIME_EXPORT std::optional<WriteFailure> appendLineDurably(const QString& path,
                                                                 QByteArrayView line);

// Creates the folder and any missing parents, each one it creates owner-only
// (0700) whatever the umask. An existing folder is left as it is.
JEX_RUNTIME_EXPORT std::optional<WriteFailure> createOwnerOnlyFolder(const QString& path);

// Syncs a folder's entries (names created, renamed or removed) to disk.
JEX_RUNTIME_EXPORT std::optional<WriteFailure> syncFolder(const QString& path);

// Reads at most `limit` bytes of a regular file, never through a symbolic
// link: nothing, with the reason ("PATH: cannot read: ...") in `error`, when
// it cannot. A caller that reads limit + 1 bytes tells a file too large.
JEX_RUNTIME_EXPORT std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit,
                                                             QString* error);

// True for the name of a replacement a stop left behind ("NAME.partial-XXXXXX").
JEX_RUNTIME_EXPORT bool isPartialFile(const QString& fileName);

// Removes the leftover replacements in one folder (not below it) and returns
// their paths.
JEX_RUNTIME_EXPORT QStringList removePartialFiles(const QString& folder);

// The test seam: when set, it is asked before each step of every write and
// append, and a non-zero errno it returns fails that step as the system call
// would have. Tests set it where a full file system cannot be mounted.
using WriteFaultHook = std::function<int(const QString& path, WriteStep step)>;
JEX_RUNTIME_EXPORT void setWriteFaultHook(WriteFaultHook hook);

}  // namespace jex::fs
