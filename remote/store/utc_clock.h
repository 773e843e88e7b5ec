#pragma once
// The wall clock the remote side reads, in UTC. Tests hand in another to see
// what a clock far ahead or behind does to what is kept.

#include <QDateTime>

#include <functional>

namespace jexremote {

using UtcClock = std::function<QDateTime()>;

inline QDateTime utcNow(const UtcClock& clock) {
    return clock ? clock().toUTC() : QDateTime::currentDateTimeUtc();
}

}  // namespace jexremote
