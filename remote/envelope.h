#pragma once
// The messages on the remote link: one WebSocket text message per request,
// {"id": n, "request": text}, and one per answer, {"id": n, "answer": text}.
// The id lets a client match answers to the requests it sent.

#include <QString>

#include <optional>

namespace jexremote {

struct Envelope {
    qint64 id = 0;
    QString text;
};

QString requestMessage(qint64 id, const QString& request);
QString answerMessage(qint64 id, const QString& answer);

// Nothing when the message is not an envelope of that kind.
std::optional<Envelope> readRequestMessage(const QString& message);
std::optional<Envelope> readAnswerMessage(const QString& message);

}  // namespace jexremote
