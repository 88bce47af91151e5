#include "platform/XssDisplay.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/extensions/sync.h>

#include <cstring>

struct TXssDisplay::TConnection {
    Display* Server = nullptr;
    int SyncEvent = 0;
    XSyncCounter IdleTime = 0;
    XSyncAlarm Idle = 0;
    XSyncAlarm Active = 0;
};

namespace {

// A one-shot alarm (no delta) on the counter: test against value.
XSyncAlarm Alarm(Display* server,
                 XSyncCounter counter,
                 XSyncAlarm alarm,
                 XSyncTestType test,
                 unsigned long long value) {
    XSyncAlarmAttributes attributes{};
    attributes.trigger.counter = counter;
    attributes.trigger.value_type = XSyncAbsolute;
    attributes.trigger.test_type = test;
    XSyncIntsToValue(&attributes.trigger.wait_value,
                     static_cast<unsigned int>(value & 0xFFFFFFFFu),
                     static_cast<int>(value >> 32));
    XSyncIntToValue(&attributes.delta, 0);
    attributes.events = True;
    const unsigned long flags = XSyncCACounter | XSyncCAValueType | XSyncCATestType | XSyncCAValue |
                                XSyncCADelta | XSyncCAEvents;
    if (alarm) {
        XSyncChangeAlarm(server, alarm, flags, &attributes);
    } else {
        alarm = XSyncCreateAlarm(server, flags, &attributes);
    }
    XFlush(server);
    return alarm;
}

}  // namespace

TXssDisplay::TXssDisplay() : FConnection(std::make_unique<TConnection>()) {}

TXssDisplay::~TXssDisplay() {
    if (FConnection->Server) {
        for (const XSyncAlarm alarm : {FConnection->Idle, FConnection->Active}) {
            if (alarm) {
                XSyncDestroyAlarm(FConnection->Server, alarm);
            }
        }
        XCloseDisplay(FConnection->Server);
    }
}

bool TXssDisplay::Open() {
    if (!FConnection->Server) {
        FConnection->Server = XOpenDisplay(nullptr);
    }
    int event = 0, error = 0;
    return FConnection->Server && XScreenSaverQueryExtension(FConnection->Server, &event, &error);
}

bool TXssDisplay::Query(unsigned long& idleMs, bool& suspended) {
    XScreenSaverInfo info{};
    Display* server = FConnection->Server;
    if (!server || !XScreenSaverQueryInfo(server, DefaultRootWindow(server), &info)) {
        return false;
    }
    idleMs = info.idle;
    suspended = info.state == ScreenSaverDisabled;
    return true;
}

void TXssDisplay::Suspend(bool suspend) {
    if (FConnection->Server) {
        XScreenSaverSuspend(FConnection->Server, suspend ? True : False);
        XFlush(FConnection->Server);
    }
}

bool TXssDisplay::OpenAlarms() {
    Display* server = FConnection->Server;
    int error = 0, major = 0, minor = 0;
    if (!server || !XSyncQueryExtension(server, &FConnection->SyncEvent, &error) ||
        !XSyncInitialize(server, &major, &minor)) {
        return false;
    }
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(server, &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(counters[i].name, "IDLETIME") == 0) {
            FConnection->IdleTime = counters[i].counter;
        }
    }
    if (counters) {
        XSyncFreeSystemCounterList(counters);
    }
    return FConnection->IdleTime != 0;
}

int TXssDisplay::Fd() const {
    return FConnection->Server ? ConnectionNumber(FConnection->Server) : -1;
}

void TXssDisplay::AlarmWhenIdle(unsigned long ms) {
    FConnection->Idle = Alarm(
        FConnection->Server, FConnection->IdleTime, FConnection->Idle, XSyncPositiveComparison, ms);
}

void TXssDisplay::AlarmWhenActive() {
    // The counter falls below its value of now at the next input. A comparison would fire at
    // once (the server takes the counter as it was at its last input), so this waits for the
    // transition; input between the query and the alarm is for the caller to look for.
    XSyncValue now;
    XSyncQueryCounter(FConnection->Server, FConnection->IdleTime, &now);
    const unsigned long long value =
        (static_cast<unsigned long long>(static_cast<unsigned int>(XSyncValueHigh32(now))) << 32) |
        XSyncValueLow32(now);
    FConnection->Active = Alarm(FConnection->Server,
                                FConnection->IdleTime,
                                FConnection->Active,
                                XSyncNegativeTransition,
                                value > 1 ? value - 1 : 1);
}

TXssDisplay::TAlarm TXssDisplay::TakeAlarm() {
    Display* server = FConnection->Server;
    TAlarm latest = NoAlarm;
    while (server && XPending(server) > 0) {
        XEvent event;
        XNextEvent(server, &event);
        if (event.type == FConnection->SyncEvent + XSyncAlarmNotify) {
            const auto* notify = reinterpret_cast<const XSyncAlarmNotifyEvent*>(&event);
            if (notify->alarm == FConnection->Idle) {
                latest = IdleAlarm;
            } else if (notify->alarm == FConnection->Active) {
                latest = ActiveAlarm;
            }
        }
    }
    return latest;
}
