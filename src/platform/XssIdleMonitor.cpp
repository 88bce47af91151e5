#include "platform/XssIdleMonitor.h"

#include <QSocketNotifier>
#include <algorithm>

namespace {

constexpr int WaitingPollMs = 1000;
constexpr int IdlePollMs = 250;

}  // namespace

TXssIdleMonitor::TXssIdleMonitor() {
    FPoll.setSingleShot(true);
    QObject::connect(&FPoll, &QTimer::timeout, [this] { FAlarms ? MaybeIdle() : Poll(); });
}

TXssIdleMonitor::~TXssIdleMonitor() = default;

std::string TXssIdleMonitor::Name() const {
    return FAlarms ? "IDLETIME" : "MIT-SCREEN-SAVER";
}

bool TXssIdleMonitor::Start(uint32_t idleMs) {
    if (!FDisplay.Open()) {
        return false;
    }
    FIdleMs = idleMs;
    if (FDisplay.OpenAlarms()) {
        FAlarms = std::make_unique<QSocketNotifier>(FDisplay.Fd(), QSocketNotifier::Read);
        QObject::connect(FAlarms.get(), &QSocketNotifier::activated, [this] { Alarmed(); });
        FDisplay.AlarmWhenIdle(FIdleMs);
        Alarmed();  // an alarm may already wait in the queue
        return true;
    }
    Poll();
    return true;
}

void TXssIdleMonitor::Alarmed() {
    switch (FDisplay.TakeAlarm()) {
        case TXssDisplay::IdleAlarm:
            if (!FIdle) {
                MaybeIdle();
            }
            break;
        case TXssDisplay::ActiveAlarm:
            if (FIdle) {
                BecameActive();
            }
            break;
        case TXssDisplay::NoAlarm:
            break;
    }
}

bool TXssIdleMonitor::Query(unsigned long& idle, bool& suspended) {
    if (FDisplay.Query(idle, suspended)) {
        return true;
    }
    if (OnLost) {
        OnLost();
    }
    return false;
}

void TXssIdleMonitor::MaybeIdle() {
    unsigned long idle = 0;
    bool suspended = false;
    if (!Query(idle, suspended)) {
        return;
    }
    if (idle < FIdleMs) {
        FDisplay.AlarmWhenIdle(FIdleMs);  // input came since
    } else if (suspended) {
        FPoll.start(WaitingPollMs);
    } else {
        BecameIdle();
    }
    Alarmed();
}

void TXssIdleMonitor::BecameIdle() {
    FIdle = true;
    if (OnIdle) {
        OnIdle();
    }
    if (FAlarms) {
        FDisplay.AlarmWhenActive();
        unsigned long idle = 0;
        bool suspended = false;
        // Input that came before the alarm was set makes no transition: it is seen here.
        if (FDisplay.Query(idle, suspended) && idle < FIdleMs) {
            BecameActive();
        }
    }
}

void TXssIdleMonitor::BecameActive() {
    FIdle = false;
    FPoll.stop();
    if (FAlarms) {
        FDisplay.AlarmWhenIdle(FIdleMs);
    }
    if (OnActive) {
        OnActive();
    }
}

void TXssIdleMonitor::Poll() {
    unsigned long idle = 0;
    bool suspended = false;
    if (!Query(idle, suspended)) {
        return;
    }
    if (!FIdle) {
        if (idle >= FIdleMs && !suspended) {
            FLastIdle = idle;
            FPoll.start(IdlePollMs);
            BecameIdle();
            return;
        }
        // Nothing can happen before the rest of the delay has passed.
        const unsigned long rest = idle < FIdleMs ? FIdleMs - idle : 0;
        FPoll.start(static_cast<int>(std::clamp<unsigned long>(rest, WaitingPollMs, 60000)));
        return;
    }
    if (idle < FLastIdle) {
        const unsigned long rest = FIdleMs - std::min<unsigned long>(idle, FIdleMs);
        FPoll.start(static_cast<int>(std::max<unsigned long>(rest, WaitingPollMs)));
        BecameActive();
        return;
    }
    FLastIdle = idle;
    FPoll.start(IdlePollMs);
}
