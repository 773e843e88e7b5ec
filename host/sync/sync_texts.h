#pragma once
// What the console tells an operator about other operators' changes: the
// server list's mark, the bar over a panel with unsent edits, and a refused
// update's conflicts. Settings are named by the form's captions without their
// colon ("Max Players"); a password's values are never shown, whatever the
// remote side sent.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "link/link_messages.h"

namespace jexhost::sync {

// "Max Players" for the caption "Max Players:".
QString settingName(const QString& label);

// "HH:mm" in local time of an ISO time; `fallback`'s when it cannot be read.
QString clockOf(const QString& isoTime, const QDateTime& fallback);

// The server list's mark: "changed by alice 16:02".
QString changedMark(const jexlink::ChangedNotice& notice, const QDateTime& received);

// The bar over a panel whose form holds unsent edits (the settings named in
// `yourEdits`, by caption), after others changed the server:
// "alice changed Max Players, Name. Your Update will keep their changes and yours."
// When some of their settings are among yours, it names those instead.
QString changedElsewhereText(const QList<jexlink::ChangedNotice>& notices,
                             const QStringList& yourEdits);

// Who changed what, each operator once: "alice changed Max Players, Name; lee
// changed Password" ("lee stored the settings again" for a change of nothing).
QString whoChangedWhat(const QList<jexlink::ChangedNotice>& notices);

// The status bar's words when an open panel was filled again for others'
// changes: "Lobby: alice changed Max Players. The panel shows it now."
QString reloadedText(const QString& server, const QList<jexlink::ChangedNotice>& notices);

// One line per conflicting setting:
// "Name: you fetched Lobby; alice made it Arena at 16:02; yours is Night Ops";
// a password without its values: "Password: changed by alice at 16:02 and by you (values hidden)".
QStringList conflictLines(const QList<jexlink::Conflict>& conflicts);

// The traffic view's words for a refused update:
// "not stored: changed meanwhile by alice: Name, Max Players".
QString conflictSummary(const QList<jexlink::Conflict>& conflicts);

}  // namespace jexhost::sync
