#pragma once

#include <functional>
#include <string>
#include <vector>

// A program run beside ours, which we may end.
class TChildProcess {
public:
    virtual ~TChildProcess() = default;

    // Starts program with args; false when it could not start (then OnExited is not called).
    virtual bool Start(const std::string& program, const std::vector<std::string>& args) = 0;
    // Asks it to end, and makes it end if it has not within a second.
    virtual void Stop() = 0;
    virtual bool Running() const = 0;

    // Called once it has ended, however it ended.
    std::function<void()> OnExited;
};
