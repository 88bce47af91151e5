#include "toolkit/QtWorker.h"

#include <QMetaObject>
#include <utility>

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
        // A job that throws still has its done part delivered; the poster finds no result.
        try {
            work();
        } catch (...) {
        }
        QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
    });
}
