#include "host/relay/request_carrier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include "exchange/wire/request.h"
#include "host/link/remote_link.h"
#include "host/log.h"
#include "link/link_messages.h"
#include "link/link_words.h"

namespace jexhost {

namespace {

const QString kRequestPattern = QStringLiteral("reply_jexKDRSM_*.txt");
const QString kClaimedSuffix = QStringLiteral(".carrying");
// What fits into one link message with its envelope.
constexpr qint64 kMaxRequestBytes = jexlink::kDefaultMaxMessageBytes - 1024;
// With nothing unwritten, a watched folder is re-scanned this much less often.
constexpr int kQuietRescans = 8;
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

// The file's request text without its line end; nothing when it cannot be
// read. Reads no more than the size limit.
std::optional<QString> readRequest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QString text = QString::fromLocal8Bit(file.read(kMaxRequestBytes));
    while (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
    return text;
}

}  // namespace

QString answerOutcome(const QString& command, const QString& answer) {
    if (answer.isEmpty()) return QStringLiteral("no answer");
    if (answer == jexlink::kFailedAnswer) return QStringLiteral("failed");
    if (command == kdrsm::wire::kSetSettings)
        return answer == jexlink::kUpdatedAnswer ? QStringLiteral("updated")
                                                 : QStringLiteral("refused");
    return QStringLiteral("%1 characters").arg(answer.size());
}

RequestCarrier::RequestCarrier(const QString& folder, const QString& hostTag, RemoteLink& link,
                               AnswerHandler onAnswer, int rescanMs, QObject* parent)
    : RequestCarrier(
          folder,
          [hostTag](const kdrsm::wire::Request& request) { return request.hostTag == hostTag; },
          [&link, onAnswer = std::move(onAnswer)](const QString& text,
                                                  const kdrsm::wire::Request& request) {
              link.send(text, [command = request.command, onAnswer](const QString& answer) {
                  qCInfo(lcHost).noquote()
                      << "answer to" << command << ":" << answerOutcome(command, answer);
                  onAnswer(answer);
              });
          },
          rescanMs, parent) {}

RequestCarrier::RequestCarrier(const QString& folder, Accepts accepts, Dispatch dispatch,
                               int rescanMs, QObject* parent)
    : QObject(parent),
      folder_(folder),
      accepts_(std::move(accepts)),
      dispatch_(std::move(dispatch)),
      rescanMs_(rescanMs) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &RequestCarrier::scan);
    connect(&rescan_, &QTimer::timeout, this, &RequestCarrier::scan);
    rescan_.setInterval(rescanMs);
}

bool RequestCarrier::start(QString* error) {
    const QFileInfo info(folder_);
    if (info.isSymLink()) {
        *error =
            folder_ + QStringLiteral(" is a symbolic link; the host wants a folder of its own");
        return false;
    }
    const bool ready = info.isDir() ? QFile::setPermissions(folder_, kOwnerOnly)
                                    : QDir().mkdir(folder_, kOwnerOnly);
    if (!ready) {
        *error = QStringLiteral("cannot create %1 readable by this user only").arg(folder_);
        return false;
    }
    const QStringList stale =
        QDir(folder_).entryList({kRequestPattern + kClaimedSuffix}, QDir::Files);
    for (const QString& name : stale) QFile::remove(folder_ + u'/' + name);
    if (!stale.isEmpty())
        qCWarning(lcHost) << "removed" << stale.size() << "request(s) an earlier run had claimed";

    watching_ = watcher_.addPath(folder_);
    if (!watching_) qCInfo(lcHost) << "not watching" << folder_ << "- re-scan only";
    rescan_.start();
    scan();
    return true;
}

// Oldest request first, so a fetch written before an update is carried first.
void RequestCarrier::scan() {
    if (scanning_) return;  // a callback's modal loop may fire the timer again
    scanning_ = true;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({kRequestPattern}, QDir::Files, QDir::Time | QDir::Reversed);
    QHash<QString, QDateTime> stillThere;
    for (const QFileInfo& file : files) {
        const QString path = file.absoluteFilePath();
        if (skipped_.contains(path)) stillThere.insert(path, skipped_.value(path));
    }
    skipped_.swap(stillThere);  // forget files that went away
    bool unwritten = false;
    for (const QFileInfo& file : files) {
        unwritten = unwritten || file.size() == 0;
        take(file.absoluteFilePath());
    }
    // A watched folder tells of new files; only one still empty is looked at
    // again soon, its content told by no one.
    rescan_.setInterval(watching_ && !unwritten ? kQuietRescans * rescanMs_ : rescanMs_);
    scanning_ = false;
}

void RequestCarrier::skip(const QString& path, const QDateTime& modified, const char* why) {
    skipped_.insert(path, modified);
    qCWarning(lcHost).noquote() << QFileInfo(path).fileName() << why << "- left until it changes";
}

// The tag is read before the file is claimed, so a file that is not this
// host's is never moved. The claim is a rename: a request the panel writes
// again after it lands in a new file, which the next scan takes.
void RequestCarrier::take(const QString& path) {
    const QFileInfo info(path);
    if (info.size() == 0) return;  // created, not written yet
    const QDateTime modified = info.lastModified();
    if (skipped_.contains(path) && skipped_.value(path) == modified) return;
    if (info.size() > kMaxRequestBytes) {
        qCWarning(lcHost).noquote()
            << info.fileName() << "dropped:" << info.size() << "bytes is over the limit";
        QFile::remove(path);
        return;
    }
    const auto peeked = readRequest(path);
    if (!peeked) return;  // replaced or removed meanwhile
    const auto parsed = kdrsm::wire::parseRequestText(*peeked);
    if (!parsed) return skip(path, modified, "is not a request");
    if (!accepts_(*parsed)) return skip(path, modified, "is not for a server of this host");

    const QString claimed = path + kClaimedSuffix;
    QFile::remove(claimed);
    if (!QFile::rename(path, claimed)) {
        if (QFileInfo::exists(path)) skip(path, modified, "cannot be claimed");
        return;
    }
    skipped_.remove(path);
    const auto text = readRequest(claimed);
    QFile::remove(claimed);
    const auto request = text ? kdrsm::wire::parseRequestText(*text) : std::nullopt;
    if (!request || !accepts_(*request)) {
        qCWarning(lcHost).noquote() << info.fileName() << "changed while it was claimed; dropped";
        return;
    }

    qCInfo(lcHost).noquote() << "carrying" << request->command << "tag" << request->hostTag.left(64)
                             << "profile" << request->profileIndex << "size" << text->size();
    emit requestCarried(*text);
    dispatch_(*text, *request);
}

}  // namespace jexhost
