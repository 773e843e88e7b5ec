#pragma once
// SIGHUP, taken on the event loop: the handler only writes a byte to a
// socket pair, whose other end a notifier reads.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace jexremote {

class HangupSignal : public QObject {
    Q_OBJECT
public:
    // Calls `onHangup` each time the process gets SIGHUP; one per process.
    explicit HangupSignal(std::function<void()> onHangup, QObject* parent = nullptr);
    ~HangupSignal() override;

private:
    std::function<void()> onHangup_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace jexremote
