#pragma once
// The remote side's log: one line per event, with a time stamp. Lines name
// commands, tags, profiles, sizes, outcomes and setting names; they never
// carry a token, a field's value or more than a bounded piece of a request.

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace jexremote {

Q_DECLARE_LOGGING_CATEGORY(lcRemote)

inline constexpr int kMaxLoggedTag = 64;

// The message pattern of jexremote's log lines (time stamp first).
void installLogPattern();

// A text safe for one log line: at most `limit` characters, control
// characters replaced by "?", "..." marking a cut.
QString boundedText(const QString& text, int limit = kMaxLoggedTag);

struct RequestEvent {
    QString command;
    QString tag;
    int profile = 0;
    qsizetype size = 0;  // characters of the request text
    QString outcome;     // "served", "stored", "refused", "failed", ...
    QString detail;      // changed settings, or the fault and why
};

void logRequest(const RequestEvent& event);

}  // namespace jexremote
