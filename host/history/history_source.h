#pragma once
// Where the History dialog gets a server's history and sends a revert: the
// console connects it to the server's remote link. Each request is answered
// once, by its answer signal or by failed() (the link dropped, the server is
// unreachable, the answer was unreadable); the dialog sends one at a time.

#include <QObject>
#include <QString>

#include "link/link_messages.h"

namespace jexhost::history {

class HistorySource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void requestHistory(int profile) = 0;
    virtual void requestRevert(int profile, qint64 version) = 0;
    // A kept version's settings (comparing two versions), the current
    // settings and their version, and an update made from that version
    // (one setting put back). A source that cannot says so through failed().
    virtual void requestVersion(int profile, qint64 version);
    virtual void requestSettings(int profile);
    virtual void requestUpdate(int profile, const QString& body, qint64 base);

signals:
    void historyArrived(const jexlink::History& history);
    void revertAnswered(const jexlink::RevertOutcome& outcome);
    // The settings reply text of `version`.
    void versionArrived(qint64 version, const QString& settingsReply);
    // The current settings reply text and its version (0 when the remote
    // side named none).
    void settingsArrived(const QString& settingsReply, qint64 version);
    // "1" stored; "0" with the reason or the conflicts otherwise.
    void updateAnswered(const jexlink::Envelope& answer);
    void failed(const QString& reason);
};

}  // namespace jexhost::history
