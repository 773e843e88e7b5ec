#pragma once
// Keeps the open panel in step with what other operators change on its
// server. A change stored elsewhere makes a panel without unsent edits fetch
// its settings again at once; over unsent edits the bar says who changed
// what, and which of those settings the operator changed too. An update the
// remote side refused for conflicts puts them on the bar with two ways on:
// "Fetch theirs" stores the operator's other changes and takes the server's
// values for the conflicting ones, "Keep mine" stores all of the operator's
// changes. Either is sent as made from the version the server holds now, so
// nothing else anyone changed is undone; the panel then fetches the result.

#include <QList>
#include <QObject>

#include <optional>

#include "host/sync/conflict_resolution.h"
#include "link/link_messages.h"

namespace jexhost {

class EditWatch;
class HostSession;
class SyncBar;

class ConcurrentEdits final : public QObject {
    Q_OBJECT
public:
    ConcurrentEdits(HostSession& session, EditWatch& edits, SyncBar& bar,
                    QObject* parent = nullptr);

    // The open panel was filled with its server's settings.
    void filled();
    // The open panel's update was stored.
    void stored();

signals:
    // What the console tells the operator in passing (the status bar).
    void outcome(const QString& text);

private:
    struct Refused {
        QString serverId;
        QString baseReply;  // the settings the refused update was made from
        QString body;
    };
    void changedElsewhere(const QString& id, const jexlink::ChangedNotice& notice);
    // Fetches again, or tells over unsent edits, what the notices since the fill say.
    void follow();
    void conflicted(const QString& id, const QString& body,
                    const QList<jexlink::Conflict>& conflicts);
    void showConflicts(const QList<jexlink::Conflict>& conflicts);
    void resolve(sync::Keep keep);
    void resend(const Refused& refused, const jexlink::Envelope& current, sync::Keep keep);
    void finishResolving(const QString& serverId, const QString& text);
    void reset();
    // The open panel fetches its settings again.
    void refetch();

    HostSession& session_;
    EditWatch& edits_;
    SyncBar& bar_;
    QList<jexlink::ChangedNotice> notices_;  // since the open panel's last fill
    std::optional<Refused> refused_;
    bool resolving_ = false;
    bool caughtUp_ = true;  // false: a fill came older than a notice, and was fetched again
};

}  // namespace jexhost
