#pragma once
// One host-side connection to a remote side, with what it received and
// whether it was closed.

#include <QStringList>
#include <QTest>
#include <QUrl>
#include <QWebSocket>

#include <optional>

#include "link/link_messages.h"

namespace jextest {

constexpr int kRemoteWaitMs = 8000;  // upper bound only

struct Client {
    QWebSocket socket;
    QStringList received;
    bool closed = false;

    explicit Client(const QString& origin = {}) : socket(origin) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { received << m; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    }
    bool open(const QUrl& url) {
        socket.open(url);
        return QTest::qWaitFor(
            [&] { return socket.state() == QAbstractSocket::ConnectedState || closed; },
            kRemoteWaitMs);
    }
    bool welcomed(const QUrl& url, const QString& token) {
        if (!open(url)) return false;
        socket.sendTextMessage(jexlink::tokenMessage(token));
        return QTest::qWaitFor([&] { return !received.isEmpty() || closed; }, kRemoteWaitMs) &&
               jexlink::readWelcomeMessage(received.value(0)).has_value();
    }
    // The answer to one request text, past any welcome or notice that comes
    // first; empty when the connection closes before it.
    QString ask(const QString& request) {
        const qsizetype before = received.size();
        socket.sendTextMessage(jexlink::requestMessage(before, request));
        std::optional<jexlink::Envelope> answer;
        (void)QTest::qWaitFor(
            [&] {
                for (qsizetype i = before; i < received.size() && !answer; ++i)
                    if (auto a = jexlink::readAnswerMessage(received[i]); a && a->id == before)
                        answer = a;
                return answer || closed;
            },
            kRemoteWaitMs);
        return answer ? answer->text : QString();
    }
};

}  // namespace jextest
