#include "ini_read_cache.h"

#include <sys/stat.h>
#include <time.h>

#include <QAbstractEventDispatcher>
#include <QFile>

#include <optional>

#include "ini_file.h"

namespace zta {

namespace {

// What tells one state of a file from another: a replaced file is a new
// inode, a file changed in place has a new change time, unless the change
// falls within the same tick of the clock that stamps files.
struct FileStamp {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;

    bool operator==(const FileStamp& other) const {
        const auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return device == other.device && inode == other.inode && size == other.size &&
               same(modified, other.modified) && same(changed, other.changed);
    }
};

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// True when a change made now would give the file a new stamp: the clock
// the kernel stamps files with has moved on since the last change.
bool settled(const FileStamp& stamp) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return before(stamp.modified, now) && before(stamp.changed, now);
}

// Only regular files are kept; anything else is read afresh every time.
std::optional<FileStamp> stampOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

}  // namespace

struct IniReadCache::Kept {
    QString path;
    FileStamp stamp;
    IniFile file;
};

IniReadCache::IniReadCache() {
    expiry_.setSingleShot(true);
    expiry_.setInterval(0);
    QObject::connect(&expiry_, &QTimer::timeout, &expiry_, [this] { kept_.reset(); });
}

IniReadCache::~IniReadCache() = default;

QString IniReadCache::value(const QString& section, const QString& key, const QString& path) {
    // Stamped before reading: a change while reading shows at the next call.
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp || !settled(*stamp) || !QAbstractEventDispatcher::instance()) {
        forget();
        return IniFile(path).value(section, key);
    }
    if (!kept_ || kept_->path != path || !(kept_->stamp == *stamp)) {
        forget();
        kept_.reset(new Kept{path, *stamp, IniFile(path)});
        expiry_.start();
    }
    return kept_->file.value(section, key);
}

void IniReadCache::forget() {
    kept_.reset();
}

}  // namespace zta
