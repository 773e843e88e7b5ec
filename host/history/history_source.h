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

signals:
    void historyArrived(const jexlink::History& history);
    void revertAnswered(const jexlink::RevertOutcome& outcome);
    void failed(const QString& reason);
};

}  // namespace jexhost::history
