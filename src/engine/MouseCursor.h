#pragma once

// The mouse cursor's display counter: each Hide takes one step down, each Show one step up;
// the cursor is seen while the count is not below its start.
class TMouseCursor {
public:
    virtual ~TMouseCursor() = default;
    virtual void Hide() = 0;
    virtual void Show() = 0;
};
