#include "remote/net/admission.h"

#include <QSet>

namespace jexremote {

QList<Eviction> makeRoom(const QList<WaitingConnection>& waiting, const QString& address,
                         int capInAll, int capPerAddress) {
    QList<Eviction> evictions;
    QSet<qsizetype> closed;
    for (const bool forAddress : {true, false}) {
        const int cap = forAddress ? capPerAddress : capInAll;
        for (;;) {
            int count = 0;
            qsizetype oldest = -1;
            for (qsizetype i = 0; i < waiting.size(); ++i) {
                if (closed.contains(i) || (forAddress && waiting[i].address != address)) continue;
                ++count;
                if (oldest < 0 || waiting[i].since < waiting[oldest].since) oldest = i;
            }
            if (count < cap || oldest < 0) break;
            closed.insert(oldest);
            evictions.append({oldest, forAddress});
        }
    }
    return evictions;
}

}  // namespace jexremote
