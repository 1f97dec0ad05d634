// Callbacks through which a scrollbar reports its position, presses and arrow steps.
#pragma once

namespace Quor {

class ScrollListener {
public:
    virtual ~ScrollListener() = default;

    virtual void ScrollPosition(int id, double value) { (void)id; (void)value; }
    virtual void ScrollbarReleased(int id, double value) { (void)id; (void)value; }
    virtual void ScrollbarPressed(int id, double value) { (void)id; (void)value; }
    virtual void ScrollArrowStep(int id, double value) { (void)id; (void)value; }
};

} // namespace Quor
