#pragma once
// Carries the panel's request files to the remote side. The panel writes each
// request as a one-line file reply_jexKDRSM_<command>.txt into the host's
// RCData folder; the carrier notices it (folder watcher, plus a re-scan for
// files still empty, at the re-scan time, and for what the watcher misses,
// eight times as long; a folder it cannot watch at the re-scan time), reads the
// text, removes the file, sends the text over the remote link and hands the
// answer to the callback.
//
// Only requests the host accepts (by tag and profile) are taken; any other file is left
// where it is and looked at again only once it changes. A file is claimed by
// renaming it before it is read, so a request written again meanwhile is
// carried as a request of its own and none is carried twice. An empty file is
// left until it has content; one over the size limit or unreadable is dropped
// with a log line; one that cannot be claimed is skipped until it changes.
// The log names a request's command, tag, profile and size, never its body.

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

#include "exchange/wire/request.h"

namespace jexhost {

class RemoteLink;

// How an answer went, for the log: never its text.
QString answerOutcome(const QString& command, const QString& answer);

class RequestCarrier : public QObject {
    Q_OBJECT
public:
    using AnswerHandler = std::function<void(const QString& answer)>;
    // Whether a request is this host's to carry.
    using Accepts = std::function<bool(const kdrsm::wire::Request& request)>;
    // Sends an accepted request on its way (its text and what it says).
    using Dispatch = std::function<void(const QString& text, const kdrsm::wire::Request& request)>;

    RequestCarrier(const QString& folder, Accepts accepts, Dispatch dispatch, int rescanMs = 250,
                   QObject* parent = nullptr);
    // One tag, one link: every request carrying `hostTag` goes over `link`.
    RequestCarrier(const QString& folder, const QString& hostTag, RemoteLink& link,
                   AnswerHandler onAnswer, int rescanMs = 250, QObject* parent = nullptr);

    // Creates the folder owner-only (or makes an existing one so), removes
    // requests a previous run claimed but may not have sent, and starts
    // watching. False, with the reason in `error`, when the folder cannot be
    // made private.
    bool start(QString* error);
    const QString& folder() const { return folder_; }

signals:
    // A request was read and sent (its text, for tests).
    void requestCarried(const QString& request);

private:
    void scan();
    void take(const QString& path);
    void skip(const QString& path, const QDateTime& modified, const char* why);

    QString folder_;
    Accepts accepts_;
    Dispatch dispatch_;
    QFileSystemWatcher watcher_;
    QTimer rescan_;
    int rescanMs_;
    bool watching_ = false;
    QHash<QString, QDateTime> skipped_;  // files left alone, as last seen
    bool scanning_ = false;
};

}  // namespace jexhost
