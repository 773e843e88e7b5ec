#pragma once
// What the traffic view keeps of a request and its answer. Request and answer
// texts carry passwords (an update body, a settings reply), so neither is
// kept: a request becomes its command, a one-line summary and, for a
// settings update, its fields with the form's labels and every password
// replaced by "(hidden)"; an answer becomes a one-line summary.

#include <QList>
#include <QString>

namespace jexhost::traffic {

inline const QString kHidden = QStringLiteral("(hidden)");

struct FieldLine {
    QString label;
    QString value;
};

struct RequestDetails {
    QString command;  // empty when the text is not a request
    QString summary;
    QList<FieldLine> fields;
};

RequestDetails describeRequest(const QString& requestText);

// The answer to a request of `command`, summarised without its content.
QString describeAnswer(const QString& command, const QString& answerText);

}  // namespace jexhost::traffic
