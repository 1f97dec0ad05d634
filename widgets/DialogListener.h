// Callbacks through which a dialog reports its button presses (dialog id, button id).
#pragma once

namespace Quor {

class DialogListener {
public:
    virtual ~DialogListener() = default;

    virtual void DialogButtonPress(int dialogId, int buttonId) { (void)dialogId; (void)buttonId; }
    virtual void DialogButtonDepress(int dialogId, int buttonId) { (void)dialogId; (void)buttonId; }
};

} // namespace Quor
