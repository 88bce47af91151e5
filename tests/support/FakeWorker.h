#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "toolkit/Worker.h"

// A worker that runs nothing until the test says so, all on the test's thread.
class TFakeWorker : public TWorker {
public:
    void Post(std::function<void()> work, std::function<void()> done) override {
        Jobs.push_back({std::move(work), std::move(done)});
    }

    // Runs the oldest job's work and then its done part; answers whether there was one.
    bool RunNext() {
        if (Jobs.empty()) {
            return false;
        }
        auto job = std::move(Jobs.front());
        Jobs.pop_front();
        job.first();
        job.second();
        return true;
    }

    std::deque<std::pair<std::function<void()>, std::function<void()>>> Jobs;
};
