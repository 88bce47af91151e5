#pragma once

#include <string>
#include <vector>

#include "platform/ChildProcess.h"

// A child process that only records what it was asked; Exit() stands for its end.
class TRecordingChildProcess : public TChildProcess {
public:
    bool Start(const std::string& program, const std::vector<std::string>& args) override {
        Starts.push_back(program);
        for (const std::string& a : args) {
            Starts.back() += " " + a;
        }
        FRunning = Startable;
        return Startable;
    }
    void Stop() override { ++Stops; }
    bool Running() const override { return FRunning; }
    void Exit() {
        if (FRunning) {
            FRunning = false;
            if (OnExited) {
                OnExited();
            }
        }
    }
    bool Startable = true;
    std::vector<std::string> Starts;  // "program arg arg"
    int Stops = 0;

private:
    bool FRunning = false;
};
