#pragma once
// How often one operator may do something: a bucket that holds up to `burst`
// turns and gains `perSecond` of them every second. Each accepted action takes
// one turn; with none left the action is refused, never delayed, so an
// operator over the limit costs nobody else any time.

#include <QtGlobal>

#include <algorithm>

namespace jexremote {

struct RateLimit {
    double perSecond = 10;
    double burst = 20;
};

class RateBucket {
public:
    // True, taking a turn, when one is left at time `nowMs` (a monotonic clock).
    bool take(const RateLimit& limit, qint64 nowMs) {
        if (lastMs_ < 0)
            turns_ = limit.burst;
        else
            turns_ =
                std::min(limit.burst, turns_ + double(nowMs - lastMs_) * limit.perSecond / 1000);
        lastMs_ = nowMs;
        if (turns_ < 1) return false;
        turns_ -= 1;
        return true;
    }

private:
    double turns_ = 0;
    qint64 lastMs_ = -1;
};

}  // namespace jexremote
