#include "toolkit/QtWorker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <utility>

namespace {

// A decode is never urgent next to the window it feeds: on a busy machine the worker thread
// yields the processor to the user-interface thread. On Linux a nice value is per thread.
void LowerThisThread() {
    thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
        lowered = true;
    }
}

}  // namespace

TQtWorker::TQtWorker() {
    FPool.setMaxThreadCount(1);
    // The thread stays for the next picture rather than being made anew for each.
    FPool.setExpiryTimeout(-1);
}

TQtWorker::~TQtWorker() {
    FPool.clear();
    FPool.waitForDone();
}

void TQtWorker::Post(std::function<void()> work, std::function<void()> done) {
    QObject* receiver = &FReceiver;
    FPool.start([receiver, work = std::move(work), done = std::move(done)]() mutable {
        LowerThisThread();
        // A job that throws still has its done part delivered; the poster finds no result.
        try {
            work();
        } catch (...) {
        }
        QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
    });
}
