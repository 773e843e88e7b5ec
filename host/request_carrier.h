#pragma once
// Carries the panel's request files to the remote side. The panel writes each
// request as a one-line file reply_jexKDRSM_<command>.txt into the host's
// RCData folder; the carrier notices it (folder watcher, plus a periodic
// re-scan for what the watcher misses and for files still empty), reads the
// text, removes the file, sends the text over the remote link and hands the
// answer to the callback.
//
// A file is claimed by renaming it before it is read, so a request written
// again meanwhile is carried as a request of its own. An empty file is left
// until it has content; a file that cannot be read is dropped with a log
// line; one that cannot be claimed is skipped (logged once) until it changes.

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

namespace jexhost {

class RemoteLink;

class RequestCarrier : public QObject {
    Q_OBJECT
public:
    using AnswerHandler = std::function<void(const QString& answer)>;

    RequestCarrier(const QString& folder, RemoteLink& link, AnswerHandler onAnswer,
                   int rescanMs = 250, QObject* parent = nullptr);

    // Creates the folder if missing and starts watching it.
    void start();
    const QString& folder() const { return folder_; }

signals:
    // A request was read and sent (its text, for logs and tests).
    void requestCarried(const QString& request);

private:
    void scan();
    void take(const QString& path);

    QString folder_;
    RemoteLink& link_;
    AnswerHandler onAnswer_;
    QFileSystemWatcher watcher_;
    QTimer rescan_;
    QHash<QString, QDateTime> skipped_;  // files that cannot be claimed, as last seen
    bool scanning_ = false;
};

}  // namespace jexhost
