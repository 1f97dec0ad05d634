// Callbacks through which a button reports to its owner; every call carries the button's id.
#pragma once

namespace Quor {

class ButtonListener {
public:
    virtual ~ButtonListener() = default;

    virtual void ButtonPressClicks(int id, int clickCount) { (void)clickCount; ButtonPress(id); }
    virtual void ButtonPress(int id) { (void)id; }
    virtual void ButtonDepress(int id) { (void)id; }
    virtual void ButtonDownTick(int id) { (void)id; }
    virtual void ButtonMouseEnter(int id) { (void)id; }
    virtual void ButtonMouseLeave(int id) { (void)id; }
    virtual void ButtonMouseMove(int id, int x, int y) { (void)id; (void)x; (void)y; }
};

} // namespace Quor
