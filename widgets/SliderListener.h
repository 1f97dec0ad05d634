// Callbacks through which a slider reports its value to its owner.
#pragma once

namespace Quor {

class SliderListener {
public:
    virtual ~SliderListener() = default;

    virtual void SliderValueChanged(int id, double value) { (void)id; (void)value; }
};

} // namespace Quor
