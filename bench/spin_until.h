#pragma once
// Runs the event loop until `done` holds or `waitMs` has passed, for
// benchmarks that drive a link or a remote process. False when time ran out.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace jexbench {

template <typename Done>
bool spinUntil(Done done, int waitMs) {
    QElapsedTimer waited;
    waited.start();
    QTimer wakeUp;  // so that a wait that is over ends the blocking call below
    wakeUp.start(50);
    while (!done()) {
        if (waited.hasExpired(waitMs)) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace jexbench
