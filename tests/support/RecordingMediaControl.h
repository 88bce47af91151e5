#pragma once

#include <string>
#include <vector>

#include "platform/MediaControl.h"

// Media control that keeps every command string in order, for tests. It answers Answer, or
// passes the command on to another media control and answers what that one answers.
class TRecordingMediaControl : public TMediaControl {
public:
    explicit TRecordingMediaControl(TMediaControl* passOn = nullptr) : FPassOn(passOn) {}

    int SendString(const std::string& command) override {
        Commands.push_back(command);
        return FPassOn ? FPassOn->SendString(command) : Answer;
    }

    std::vector<std::string> Commands;
    int Answer = 0;

private:
    TMediaControl* FPassOn;
};
