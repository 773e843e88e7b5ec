#include "jex/durable_file.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace jex::fs {

namespace {

const QString kPartialMark = QStringLiteral(".partial-");
constexpr int kPartialRandomChars = 6;

WriteFaultHook& faultHook() {
    static WriteFaultHook hook;
    return hook;
}

// The errno the test seam injects at this step, or 0.
int injected(const QString& path, WriteStep step) {
    const WriteFaultHook& hook = faultHook();
    return hook ? hook(path, step) : 0;
}

const char* verb(WriteStep step) {
    switch (step) {
        case WriteStep::Open:
            return "open";
        case WriteStep::Write:
            return "write";
        case WriteStep::Sync:
            return "sync";
        case WriteStep::Rename:
            return "rename over";
        case WriteStep::SyncFolder:
            return "sync the folder of";
    }
    return "write";
}

WriteFailure failure(WriteStep step, int code, const QString& path) {
    const QString reason = code == ELOOP ? QStringLiteral("a symbolic link, never written through")
                                         : QString::fromLocal8Bit(std::strerror(code));
    return {step, code,
            QStringLiteral("cannot %1 %2: %3").arg(QString::fromLatin1(verb(step)), path, reason),
            reason};
}

// Runs one system call of a step, through the seam; the errno of a failure,
// or 0.
template <typename Call>
int step(const QString& path, WriteStep which, Call call) {
    if (const int code = injected(path, which)) return code;
    return call() ? 0 : errno;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool writeAll(int fd, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// The file's own type when it is there and not a regular file: never written.
int notRegular(const struct stat& st) {
    if (S_ISLNK(st.st_mode)) return ELOOP;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : EINVAL;
}

QString randomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kPartialRandomChars; ++i)
        suffix += QChar::fromLatin1(kChars[QRandomGenerator::system()->bounded(36)]);
    return suffix;
}

}  // namespace

void setWriteFaultHook(WriteFaultHook hook) {
    faultHook() = std::move(hook);
}

std::optional<WriteFailure> syncFolder(const QString& path) {
    Fd dir(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int code =
        dir.valid() ? step(path, WriteStep::SyncFolder, [&] { return ::fsync(dir.get()) == 0; })
                    : errno;
    if (code) return failure(WriteStep::SyncFolder, code, path);
    return std::nullopt;
}

namespace {

// The replacement of `name` in the open folder `dir`; `path` names the file
// in failures and to the test seam.
std::optional<WriteFailure> writeInFolder(int dir, const QByteArray& name, const QString& path,
                                          QByteArrayView content, int mode) {
    struct stat st {};
    if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const int code = notRegular(st)) return failure(WriteStep::Open, code, path);
    } else if (errno != ENOENT) {
        return failure(WriteStep::Open, errno, path);
    }

    QByteArray partial;
    Fd file;
    int code = injected(path, WriteStep::Open);
    for (int attempt = 0; !code && !file.valid() && attempt < 16; ++attempt) {
        partial = name + QFile::encodeName(kPartialMark + randomSuffix());
        file.reset(::openat(dir, partial.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.valid() && errno != EEXIST) code = errno;
    }
    if (!code && !file.valid()) code = EEXIST;
    if (code) return failure(WriteStep::Open, code, path);

    std::optional<WriteFailure> failed;
    if ((code = step(path, WriteStep::Open, [&] { return ::fchmod(file.get(), mode) == 0; })))
        failed = failure(WriteStep::Open, code, path);
    else if ((code = step(path, WriteStep::Write, [&] { return writeAll(file.get(), content); })))
        failed = failure(WriteStep::Write, code, path);
    else if ((code = step(path, WriteStep::Sync, [&] { return ::fsync(file.get()) == 0; })))
        failed = failure(WriteStep::Sync, code, path);
    else if ((code = step(path, WriteStep::Rename, [&] {
                  return ::renameat(dir, partial.constData(), dir, name.constData()) == 0;
              })))
        failed = failure(WriteStep::Rename, code, path);
    if (failed) {
        ::unlinkat(dir, partial.constData(), 0);
        return failed;
    }
    if ((code = step(path, WriteStep::SyncFolder, [&] { return ::fsync(dir) == 0; })))
        return failure(WriteStep::SyncFolder, code, path);
    return std::nullopt;
}

}  // namespace

std::optional<WriteFailure> writeFileDurably(const QString& path, QByteArrayView content,
                                             int mode) {
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty()) return failure(WriteStep::Open, EINVAL, path);

    // Names are resolved in the folder opened once: no rename of the folder
    // in between sends the file elsewhere.
    Fd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) return failure(WriteStep::Open, errno, path);
    return writeInFolder(dir.get(), name, path, content, mode);
}

std::optional<WriteFailure> writeFileDurablyAt(int folder, const QString& name, const QString& path,
                                               QByteArrayView content, int mode) {
    const QByteArray native = QFile::encodeName(name);
    if (native.isEmpty() || native.contains('/')) return failure(WriteStep::Open, EINVAL, path);
    return writeInFolder(folder, native, path, content, mode);
}

std::variant<int, WriteFailure> openFolderBelow(const QString& root, const QString& relative,
                                                bool create) {
    Fd dir(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) return failure(WriteStep::Open, errno, root);
    QString path = root;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        const QByteArray native = QFile::encodeName(part);
        if (part == u".." || part == u'.') return failure(WriteStep::Open, EINVAL, path);
        if (create && ::mkdirat(dir.get(), native.constData(), 0700) == 0) {
            // mkdir's mode is cut by the umask; the folder is made owner-only.
            Fd made(::openat(dir.get(), native.constData(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!made.valid() || ::fchmod(made.get(), 0700) != 0 || ::fsync(dir.get()) != 0)
                return failure(WriteStep::Open, errno, path);
            dir.reset(made.release());
            continue;
        }
        if (create && errno != EEXIST) return failure(WriteStep::Open, errno, path);
        const int next = ::openat(dir.get(), native.constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // A link opened with O_DIRECTORY | O_NOFOLLOW fails with ENOTDIR on
        // some systems: the entry itself says which it is.
        if (next < 0) {
            int code = errno;
            struct stat st {};
            if (::fstatat(dir.get(), native.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode))
                code = ELOOP;
            return failure(WriteStep::Open, code, path);
        }
        dir.reset(next);
    }
    return dir.release();
}

std::optional<WriteFailure> appendLineDurably(const QString& path, QByteArrayView line) {
    const QByteArray native = QFile::encodeName(path);
    Fd file;
    int code = injected(path, WriteStep::Open);
    if (!code) {
        file.reset(
            ::open(native.constData(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.valid()) code = errno;
    }
    if (code) return failure(WriteStep::Open, code, path);

    struct stat st {};
    if (::fstat(file.get(), &st) != 0) return failure(WriteStep::Open, errno, path);
    if ((code = notRegular(st))) return failure(WriteStep::Open, code, path);
    if (::fchmod(file.get(), 0600) != 0) return failure(WriteStep::Open, errno, path);

    const off_t before = st.st_size;
    char last = '\n';
    if (before > 0 && ::pread(file.get(), &last, 1, before - 1) != 1)
        return failure(WriteStep::Open, errno, path);
    QByteArray bytes;
    if (last != '\n') bytes += '\n';
    bytes += line.toByteArray();

    std::optional<WriteFailure> failed;
    if ((code = step(path, WriteStep::Write, [&] { return writeAll(file.get(), bytes); })))
        failed = failure(WriteStep::Write, code, path);
    else if ((code = step(path, WriteStep::Sync, [&] { return ::fsync(file.get()) == 0; })))
        failed = failure(WriteStep::Sync, code, path);
    if (failed) {
        // No part of the line stays.
        if (::ftruncate(file.get(), before) == 0) (void)::fsync(file.get());
        return failed;
    }
    // A new file's name must be on disk too.
    if (before == 0) return syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

std::optional<WriteFailure> createOwnerOnlyFolder(const QString& path) {
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0700) == 0) {
            // mkdir's mode is cut by the umask; the folder is made owner-only.
            if (::chmod(native.constData(), 0700) != 0)
                return failure(WriteStep::Open, errno, current);
            continue;
        }
        if (errno != EEXIST) return failure(WriteStep::Open, errno, current);
        struct stat st {};
        if (::stat(native.constData(), &st) != 0) return failure(WriteStep::Open, errno, current);
        if (!S_ISDIR(st.st_mode)) return failure(WriteStep::Open, ENOTDIR, current);
    }
    return std::nullopt;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString* error) {
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    int code = 0;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        code = errno;
    else
        code = notRegular(st);
    if (code) {
        *error = QStringLiteral("%1: cannot read: %2")
                     .arg(path, code == ELOOP ? QStringLiteral("a symbolic link")
                                              : QString::fromLocal8Bit(std::strerror(code)));
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // Asking for `limit` bytes at once would allocate all of them: the size
    // found first is read, and what a growing file added after it, to `limit`.
    QByteArray bytes = file.read(std::min(limit, qint64(st.st_size) + 1));
    if (bytes.size() > st.st_size && bytes.size() < limit) bytes += file.read(limit - bytes.size());
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

bool isPartialFile(const QString& fileName) {
    static const QRegularExpression kPartial(
        QStringLiteral("^.+\\.partial-[a-z0-9]{%1}$").arg(kPartialRandomChars));
    return kPartial.match(fileName).hasMatch();
}

QStringList removePartialFiles(const QString& folder) {
    QStringList removed;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({u'*' + kPartialMark + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!isPartialFile(name)) continue;
        const QString path = dir.filePath(name);
        if (::unlink(QFile::encodeName(path).constData()) == 0) removed << path;
    }
    return removed;
}

}  // namespace jex::fs
