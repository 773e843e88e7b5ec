#pragma once
// A server's link as the docks' widget-free feeds see it: the messages sent,
// and the replies to give them, one by one.

#include <QList>
#include <QStringList>

#include "host/games/output_feed.h"

namespace jextest {

// A server's link as the feed sees it: what was sent, and the replies to give.
struct FakeLink {
    QStringList sent;
    QList<jexhost::ReplyCallback> replies;
    qint64 nextId = 1;
    jexhost::games_ui::LinkSender sender() {
        return [this](const jexhost::ComposeMessage& compose, jexhost::ReplyCallback onReply) {
            sent << compose(nextId++);
            replies << std::move(onReply);
        };
    }
    void reply(int index, const QString& answer,
               jexhost::LinkFailure failure = jexhost::LinkFailure::None) {
        replies.at(index)(answer, failure);
    }
};

}  // namespace jextest
