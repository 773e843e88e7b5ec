#pragma once
// One host-side connection to a remote side, with what it received and
// whether it was closed.

#include <QStringList>
#include <QTest>
#include <QUrl>
#include <QWebSocket>

#include <functional>
#include <optional>

#include "link/link_messages.h"

namespace jextest {

constexpr int kRemoteWaitMs = 8000;  // upper bound only

struct Client {
    QWebSocket socket;
    QStringList received;
    bool closed = false;
    int closeCode = 0;  // the remote side's, once closed

    explicit Client(const QString& origin = {}) : socket(origin) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { received << m; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] {
            closed = true;
            closeCode = int(socket.closeCode());
        });
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
    // The first message from index `from` on that `read` takes, waiting for
    // it; none when the connection closes or the wait ends first.
    template <typename T>
    std::optional<T> first(const std::function<std::optional<T>(const QString&)>& read,
                           qsizetype from = 0, int waitMs = kRemoteWaitMs) {
        std::optional<T> found;
        (void)QTest::qWaitFor(
            [&] {
                for (qsizetype i = from; i < received.size() && !found; ++i)
                    found = read(received.at(i));
                return found || closed;
            },
            waitMs);
        return found;
    }
    // The answer to one request text, past any welcome or notice that comes
    // first; empty when the connection closes before it.
    QString ask(const QString& request) {
        const qsizetype before = received.size();
        socket.sendTextMessage(jexlink::requestMessage(before, request));
        const auto answer = first<jexlink::Envelope>(
            [before](const QString& message) {
                const auto answer = jexlink::readAnswerMessage(message);
                return answer && answer->id == before ? answer : std::nullopt;
            },
            before);
        return answer ? answer->text : QString();
    }
};

}  // namespace jextest
