#include "host/console/concurrent_edits.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "exchange/model/setting_names.h"
#include "host/console/edit_watch.h"
#include "host/console/sync_bar.h"
#include "host/host_session.h"
#include "host/relay/request_router.h"
#include "host/sync/sync_texts.h"
#include "link/link_words.h"

namespace jexhost {

ConcurrentEdits::ConcurrentEdits(HostSession& session, EditWatch& edits, SyncBar& bar,
                                 QObject* parent)
    : QObject(parent), session_(session), edits_(edits), bar_(bar) {
    connect(&session_, &HostSession::changedElsewhere, this, &ConcurrentEdits::changedElsewhere);
    connect(session_.router(), &RequestRouter::conflicted, this, &ConcurrentEdits::conflicted);
    connect(&session_, &HostSession::panelOpened, this, &ConcurrentEdits::reset);
    connect(bar_.fetchTheirs(), &QPushButton::clicked, this,
            [this] { resolve(sync::Keep::Theirs); });
    connect(bar_.keepMine(), &QPushButton::clicked, this, [this] { resolve(sync::Keep::Mine); });
}

void ConcurrentEdits::reset() {
    notices_.clear();
    if (!resolving_) refused_.reset();
    bar_.hide();
}

void ConcurrentEdits::refetch() {
    edits_.stop();
    session_.refresh();
}

// A fetch that was on its way when the notice came brings older settings:
// it is made once more.
void ConcurrentEdits::filled() {
    reset();
    const QString open = session_.openId();
    if (session_.ledger().changedSinceHanded(open) && caughtUp_) {
        caughtUp_ = false;
        return refetch();
    }
    caughtUp_ = true;
}

// The merge kept what others changed, which the form does not show yet.
void ConcurrentEdits::stored() {
    if (!notices_.isEmpty()) refetch();
}

void ConcurrentEdits::changedElsewhere(const QString& id, const jexlink::ChangedNotice& notice) {
    if (id != session_.openId() || refused_) return;
    notices_.append(notice);
    follow();
}

// Nothing is reloaded under a box or dialog the operator has open (the
// panel's own among them): that waits until it is closed.
void ConcurrentEdits::follow() {
    if (notices_.isEmpty() || refused_) return;
    if (edits_.edited()) {
        QStringList yours;
        for (const QString& key : edits_.changedKeys())
            yours << sync::settingName(kdrsm::model::labelOfKey(key));
        return bar_.showNotice(sync::changedElsewhereText(notices_, yours));
    }
    if (QApplication::activeModalWidget())
        return QTimer::singleShot(250, this, &ConcurrentEdits::follow);
    if (session_.panelState() != PanelState::Shown) return;
    if (const auto entry = session_.server(session_.openId()))
        emit outcome(sync::reloadedText(entry->name, notices_));
    refetch();
}

void ConcurrentEdits::conflicted(const QString& id, const QString& body,
                                 const QList<jexlink::Conflict>& conflicts) {
    if (id != session_.openId()) return;
    refused_ = Refused{id, session_.ledger().handedReply(id), body};
    showConflicts(conflicts);
}

void ConcurrentEdits::showConflicts(const QList<jexlink::Conflict>& conflicts) {
    QStringList operators;
    for (const auto& conflict : conflicts)
        if (!operators.contains(conflict.operatorName)) operators << conflict.operatorName;
    bar_.showConflict(
        tr("Your update was not stored: %1 changed these settings after you fetched them.\n")
            .arg(operators.join(QStringLiteral(", "))) +
        sync::conflictLines(conflicts).join(u'\n') +
        tr("\nFetch theirs keeps their values for these and stores the rest of your changes; "
           "Keep mine stores all of yours."));
}

void ConcurrentEdits::resolve(sync::Keep keep) {
    if (!refused_ || resolving_) return;
    const auto entry = session_.server(refused_->serverId);
    if (!entry) return reset();
    resolving_ = true;
    bar_.setBusy(true);
    const Refused refused = *refused_;
    session_.router()->fetchSettings(*entry, [this, self = QPointer(this), refused, keep](
                                                 const jexlink::Envelope& current, LinkFailure) {
        if (!self) return;  // the window closed meanwhile
        if (current.text.isEmpty() || current.text == jexlink::kFailedAnswer)
            return finishResolving(
                {}, tr("The settings could not be fetched again; nothing was stored."));
        resend(refused, current, keep);
    });
}

void ConcurrentEdits::resend(const Refused& refused, const jexlink::Envelope& current,
                             sync::Keep keep) {
    const auto entry = session_.server(refused.serverId);
    if (!entry) return finishResolving({}, {});
    const auto resolution =
        sync::resolveConflicts(refused.baseReply, current.text, refused.body, keep);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&resolution))
        return finishResolving({}, tr("Your update cannot be merged: %1").arg(fault->reason));
    const auto& resolved = std::get<sync::Resolution>(resolution);
    if (!resolved.changesSomething)
        return finishResolving(
            refused.serverId,
            tr("%1 holds their values; nothing of yours was left to store.").arg(entry->name));
    session_.router()->sendUpdate(
        *entry, resolved.body, current.version,
        [this, self = QPointer(this), refused, current, body = resolved.body, name = entry->name](
            const jexlink::Envelope& answer, LinkFailure) {
            if (!self) return;
            if (answer.text == jexlink::kUpdatedAnswer)
                return finishResolving(refused.serverId,
                                       tr("Your changes to %1 are stored.").arg(name));
            if (!answer.conflicts.isEmpty()) {
                // Someone changed it again meanwhile: the choice starts over from now.
                resolving_ = false;
                refused_ = Refused{refused.serverId, current.text, body};
                return showConflicts(answer.conflicts);
            }
            finishResolving(
                {}, answer.reason.isEmpty()
                        ? tr("Your update of %1 was not stored.").arg(name)
                        : tr("Your update of %1 was not stored: %2").arg(name, answer.reason));
        });
}

// Done: the panel shows what the server holds now. Not done (no server):
// the bar stays for another try.
void ConcurrentEdits::finishResolving(const QString& serverId, const QString& text) {
    resolving_ = false;
    bar_.setBusy(false);
    if (!text.isEmpty()) emit outcome(text);
    if (serverId.isEmpty()) return;
    refused_.reset();
    bar_.hide();
    if (serverId == session_.openId()) refetch();
}

}  // namespace jexhost
