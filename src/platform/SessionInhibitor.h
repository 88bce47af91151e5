#pragma once

#include <string>

// The session's own blanking and locking, held off while the inhibitor is held.
class TSessionInhibitor {
public:
    virtual ~TSessionInhibitor() = default;
    // Holds it (once; a second Hold keeps the first); false when the session offers none.
    virtual bool Hold(const std::string& reason) = 0;
    // Lets go; harmless when not held.
    virtual void Release() = 0;
};
