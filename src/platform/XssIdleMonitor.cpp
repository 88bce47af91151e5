#include "platform/XssIdleMonitor.h"

#include <algorithm>

namespace {

constexpr int WaitingPollMs = 1000;
constexpr int IdlePollMs = 250;

}  // namespace

TXssIdleMonitor::TXssIdleMonitor() {
    FPoll.setSingleShot(true);
    QObject::connect(&FPoll, &QTimer::timeout, [this] { Poll(); });
}

bool TXssIdleMonitor::Start(uint32_t idleMs) {
    if (!FDisplay.Open()) {
        return false;
    }
    FIdleMs = idleMs;
    Poll();
    return true;
}

void TXssIdleMonitor::Poll() {
    unsigned long idle = 0;
    bool suspended = false;
    if (!FDisplay.Query(idle, suspended)) {
        if (OnLost) {
            OnLost();
        }
        return;
    }
    if (!FIdle) {
        if (idle >= FIdleMs && !suspended) {
            FIdle = true;
            FLastIdle = idle;
            FPoll.start(IdlePollMs);
            if (OnIdle) {
                OnIdle();
            }
            return;
        }
        // Nothing can happen before the rest of the delay has passed.
        const unsigned long rest = idle < FIdleMs ? FIdleMs - idle : 0;
        FPoll.start(static_cast<int>(std::clamp<unsigned long>(rest, WaitingPollMs, 60000)));
        return;
    }
    if (idle < FLastIdle) {
        FIdle = false;
        FPoll.start(static_cast<int>(std::max<unsigned long>(
            FIdleMs - std::min<unsigned long>(idle, FIdleMs), WaitingPollMs)));
        if (OnActive) {
            OnActive();
        }
        return;
    }
    FLastIdle = idle;
    FPoll.start(IdlePollMs);
}
