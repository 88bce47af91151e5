#pragma once

#include <string>

// A media-control service driven by command strings ("open \"f\" alias mp wait", "play mp",
// "play mp repeat", "stop mp", "close mp"). Answers 0 on success, an error code otherwise.
class TMediaControl {
public:
    virtual ~TMediaControl() = default;
    virtual int SendString(const std::string& command) = 0;
};
