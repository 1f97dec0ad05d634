// The game program run on an X server of its own (1024 x 768 x 24, software drawing), driven by
// xdotool: clicks, keys and typing, and screenshots of the desktop compared with stored pictures
// once the screen stands still, with the moving parts masked.
#pragma once

#include "game/shell/PlayerProfile.h"
#include "tests/desktop/XSession.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xdesk {

// A rectangle of the screen left out of a comparison.
struct Mask {
    int x, y, w, h;
};

// The head-up display's calendar: its animation shows the frame of its last redraw, and the
// week's number the edges of its last drawing.
constexpr Mask kCalendarMask{0, 740, 62, 28};
constexpr Mask kWeekMask{76, 618, 88, 96};

// Masks covering the area but for the kept rectangles.
std::vector<Mask> MaskAllBut(const Mask& area, const std::vector<Mask>& kept);
// Masks of the pixels that are not black in the picture tests/data/<picture> (1024 x 768) and
// lie outside the rectangles excepted; the whole screen when the picture cannot be read.
std::vector<Mask> MasksFromPicture(const std::string& picture, const std::vector<Mask>& except = {});

// The masks of a country screen of the sample content. Above the head-up display's band only
// the name bar, the place buttons (where the country has them), the display's parts that reach
// up and the rectangles asked for are compared: the sky strip and the scenery cross the rest.
// Where the picture `moving` (what changed in a minute of the country, looked at) shows the
// scenery over those, it is left out too, but not over the rectangles asked for, which lie on
// top. Birds crossing a button pass: a still screen waits.
std::vector<Mask> CountryViewMasks(const std::string& moving, const std::vector<Mask>& alsoKept = {});

// The home folder of one run, "run" inside the scratch folder, made.
std::string MakeHome(const quortest::TempDir& dir);

// The masks of a country screen under a box or question: of the country only the rectangles
// kept are compared (its scenery and lights may rest anywhere), and the calendar is left out.
std::vector<Mask> CountryUnder(const std::vector<Mask>& kept);

// The folder of the program under test: the archive the build made lies beside it.
std::string GameFolder();

// A new player as the game makes one (every country, factory, production line and record of the
// sample content's game data, read from the archive beside the program), named `name`.
Quor::PlayerProfile NewPlayer(const std::string& name);

// Writes the five save files below `home`'s data folder, where the program started by GameOnX
// with that home looks: slot 0 holds the player (the current profile), the others are blank.
void WriteProfiles(const std::string& home, const Quor::PlayerProfile& player);

// Reads slot 0's save file below `home`'s data folder; false when it is missing or unreadable.
bool ReadSlot0(const std::string& home, Quor::PlayerProfile& player);
// The bytes of slot 0's save file; empty when it is missing.
std::vector<uint8_t> Slot0Bytes(const std::string& home);

class GameOnX {
public:
    // Starts Xvfb and the game (`program`, run in `folder`) with the data and settings folders
    // below `home`, the extra environment entries and the command-line arguments.
    GameOnX(const std::string& program, const std::string& folder, const std::string& home,
            const std::vector<std::string>& env = {}, const std::vector<std::string>& args = {});
    ~GameOnX();

    bool Up() const { return mPid > 0 && mServer.Up(); }
    const std::string& Display() const { return mServer.Display(); }
    std::string ErrorOutput() const { return ReadText(mLog + ".err"); }

    // The desktop as 0xFFRRGGBB pixels; empty when the screenshot failed.
    std::vector<uint32_t> Desktop();

    // From now on screenshots and stored pictures are compared by the colours of 16 bits per
    // pixel (5, 6 and 5 bits) that the program draws with on the X server, so that a picture
    // drawn without a display, at full colour, compares with the screen.
    void CompareAtSixteenBits() { mSixteenBits = true; }

    void Move(int x, int y);
    void Click(int x, int y);
    void Drag(int x0, int y0, int x1, int y1);
    void Key(const std::string& keys);
    void Type(const std::string& text);

    // Waits until the desktop equals the stored picture tests/data/<golden>, both masked (so a
    // picture stored whole, moving parts and all, compares as well); with QUOR_UPDATE_GOLDEN
    // set, waits as Settle does and stores the masked picture.
    // Empty when it does, else what differs.
    std::string Still(const std::string& golden, const std::vector<Mask>& masks = {},
                      std::chrono::milliseconds limit = 120s);
    // The same wait, also with QUOR_UPDATE_GOLDEN set.
    std::string WaitFor(const std::string& golden, const std::vector<Mask>& masks = {},
                        std::chrono::milliseconds limit = 120s);

    // Waits until two screenshots half a second apart agree, masked, on a picture other than
    // the one the last wait ended on and more than a faded screen; false when none came.
    bool Settle(const std::vector<Mask>& masks = {}, std::chrono::milliseconds limit = 120s);

    // Waits until the desktop, masked as by the last wait, no longer shows the picture that wait
    // ended on, which is then forgotten (a screen that comes back looking the same counts as new).
    bool Changed(std::chrono::milliseconds limit = 120s);

    // Screenshots for the time given, each compared, masked, with the picture the last wait
    // ended on: empty when all of them equal it, else what differs.
    std::string Hold(std::chrono::milliseconds time, const std::vector<Mask>& masks = {});

    // Asks the program to end, as the end of the desktop session does (SIGTERM).
    void End();

    // Waits until the pixel at (x, y) is the colour 0xRRGGBB, each channel within the tolerance.
    bool Shows(int x, int y, uint32_t rgb, int tolerance = 8, std::chrono::milliseconds limit = 60s);

    // From the game screen back to the main menu by the menu question's Yes (the game saves), then
    // out by the main menu's quit question: the exit status, as WaitForExit gives it.
    int QuitFromGame();

    // Waits for the program to end; its exit status, or -1 when it did not end in the limit
    // or was killed by a signal.
    int WaitForExit(std::chrono::milliseconds limit = 120s);

private:
    // What differs between a screenshot and the picture it should equal; the screenshot is kept.
    std::string Differs(const std::string& name, const std::vector<uint32_t>& px, const std::vector<uint32_t>& want);

    XServer mServer;
    std::string mHome;
    std::string mLog;
    std::string mShot;
    std::vector<uint32_t> mLast;  // the picture the last wait ended on
    std::vector<Mask> mLastMasks; // and what it left out
    pid_t mPid = -1;
    bool mSixteenBits = false;
};

// A first start on fresh folders, as a new player meets it: the profile popup over the main
// menu, the name "Ada" typed and confirmed, the profile page's OK, the main menu. Empty when
// each screen matched its stored picture, else what differed first.
std::string FirstStartToTheMainMenu(GameOnX& game);

// From the main menu of a player at tutorial step 0 to step 3: the game button, the two story
// pages and the guide's page, each clicked on once it stands still, then England under the
// step's box, where only the box is compared (`CountryUnder`). Empty when each screen matched, else what differed first.
std::string ThroughTheStoryPages(GameOnX& game);

} // namespace xdesk
