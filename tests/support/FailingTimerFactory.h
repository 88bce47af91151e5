#pragma once

#include <stdexcept>

#include "toolkit/Timer.h"

// Has no timers to give, so that building a show fails as it does when memory runs out.
class TFailingTimerFactory : public TTimerFactory {
public:
    static constexpr const char* Message = "内存不足：无法建立定时器";
    std::unique_ptr<TTimer> CreateTimer() override { throw std::runtime_error(Message); }
};
