// A recorded demo of the game played back inside the test program, without a display and as fast
// as it goes, with a look at the game after every update: the whole screen as the display draws
// it, the country on screen and the parts of the country screen that move on their own.
#pragma once

#include "game/shell/GameApp.h"
#include "tests/desktop/GameOnX.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xdesk {

class DemoPlayback : public Quor::GameApp {
public:
    // Plays `demo` on the archive beside the program under test, with the data and settings
    // folders below `home` (which the playback leaves as it found them).
    DemoPlayback(const std::string& demo, const std::string& home);

    // Called after every update.
    std::function<void(DemoPlayback&)> mOnUpdate;

    // Runs the playback to the recording's last update (or to a Shutdown from the hook); the
    // exit status.
    int Run();

    // The whole screen drawn now into the display's screen image, as 0xFFRRGGBB pixels.
    std::vector<uint32_t> Screen();

    // The country whose screen shows with its scenery built and nothing over it; -1 otherwise.
    int SceneryCountry() const;

    // What moves on the country screen by itself: the box each scenery object can reach over
    // the whole of its tracks, at the largest size a city light can be drawn, any of the three
    // light pictures (their kind and size are drawn at random); the sky strip; the calendar.
    std::vector<Mask> SceneryMasks() const;

    void UpdateFrames() override;
    // Without a display, popups and boxes go to the error output.
    void Popup(const std::string& text) override;
    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override;
};

} // namespace xdesk
