#include "remote/net/hangup_signal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace jexremote {

namespace {

int pair[2] = {-1, -1};  // [0] written by the handler, [1] read on the event loop

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(pair[0], &byte, 1);
    errno = saved;
}

}  // namespace

HangupSignal::HangupSignal(std::function<void()> onHangup, QObject* parent)
    : QObject(parent), onHangup_(std::move(onHangup)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) return;
    notifier_ = new QSocketNotifier(pair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        while (::read(pair[1], bytes, sizeof bytes) > 0) {
        }
        onHangup_();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGHUP, &action, nullptr);
}

HangupSignal::~HangupSignal() {
    ::signal(SIGHUP, SIG_DFL);
    delete notifier_;
    ::close(pair[0]);
    ::close(pair[1]);
    pair[0] = pair[1] = -1;
}

}  // namespace jexremote
