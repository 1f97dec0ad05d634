// Callbacks through which a checkbox reports its new state to its owner.
#pragma once

namespace Quor {

class CheckboxListener {
public:
    virtual ~CheckboxListener() = default;

    virtual void CheckboxChecked(int id, bool checked) { (void)id; (void)checked; }
};

} // namespace Quor
