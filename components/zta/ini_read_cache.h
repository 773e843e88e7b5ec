#pragma once
// The last INI file read, kept parsed for the rest of the current event
// loop pass and only while the file on disk is unchanged. Load asks one file
// for every key the form names, one call per key, all in one pass; without
// this each call would parse the whole file again. A file changed within the
// current tick of the clock that stamps files is not kept (a second change
// in the same tick could not be told apart), and where there is no event
// loop to end the pass, nothing is kept.

#include <QString>
#include <QTimer>

#include <memory>

namespace zta {

class IniReadCache {
public:
    IniReadCache();
    ~IniReadCache();
    IniReadCache(const IniReadCache&) = delete;
    IniReadCache& operator=(const IniReadCache&) = delete;

    // The value as IniFile(path).value(section, key) gives it.
    QString value(const QString& section, const QString& key, const QString& path);

    // Drops the kept file (after a write through this component).
    void forget();

private:
    struct Kept;
    std::unique_ptr<Kept> kept_;
    QTimer expiry_;  // forgets at the end of the pass
};

}  // namespace zta
