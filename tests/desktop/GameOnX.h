// The game program run on an X server of its own (1024 x 768 x 24, software drawing), driven by
// xdotool: clicks, keys and typing, and screenshots of the desktop compared with stored pictures
// once the screen stands still, with the moving parts masked.
#pragma once

#include "game/shell/PlayerProfile.h"
#include "tests/desktop/XSession.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xdesk {

// A rectangle of the screen left out of a comparison.
struct Mask {
    int x, y, w, h;
};

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

    void Move(int x, int y);
    void Click(int x, int y);
    void Drag(int x0, int y0, int x1, int y1);
    void Key(const std::string& keys);
    void Type(const std::string& text);

    // Waits until the desktop, masked, equals the stored picture tests/data/<golden>; with
    // QUOR_UPDATE_GOLDEN set, until screenshots taken every half second agree for three seconds
    // on a new picture that is more than a faded screen, which is then stored.
    // Empty when it does, else what differs.
    std::string Still(const std::string& golden, const std::vector<Mask>& masks = {},
                      std::chrono::milliseconds limit = 120s);

    // Waits until the pixel at (x, y) is the colour 0xRRGGBB, each channel within the tolerance.
    bool Shows(int x, int y, uint32_t rgb, int tolerance = 8, std::chrono::milliseconds limit = 60s);

    // From the game screen back to the main menu by the menu question's Yes (the game saves), then
    // out by the main menu's quit question: the exit status, as WaitForExit gives it.
    int QuitFromGame();

    // Waits for the program to end; its exit status, or -1 when it did not end in the limit
    // or was killed by a signal.
    int WaitForExit(std::chrono::milliseconds limit = 120s);

private:
    XServer mServer;
    std::string mHome;
    std::string mLog;
    std::string mShot;
    std::vector<uint32_t> mLast;  // the picture the last wait ended on
    pid_t mPid = -1;
};

} // namespace xdesk
