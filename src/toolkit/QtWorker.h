#pragma once

#include <QObject>
#include <QThreadPool>

#include "toolkit/Worker.h"

// A TWorker with one thread of its own: jobs run one after the other, in the order posted, and
// their done parts are queued to the thread that made the worker. Destroying the worker waits
// for the job under way and drops the done parts not yet delivered.
class TQtWorker : public TWorker {
public:
    TQtWorker();
    ~TQtWorker() override;

    void Post(std::function<void()> work, std::function<void()> done) override;

private:
    // Declared first so that it outlives the pool: a job that ends while the worker is being
    // destroyed still queues its done part to a live object.
    QObject FReceiver;
    QThreadPool FPool;
};
