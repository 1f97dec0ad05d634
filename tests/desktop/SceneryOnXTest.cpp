// A trip through the eight countries on the sample content under Xvfb, by the world map, with
// three seconds in each country, recorded as a demo. The country screens' scenery moves on its
// own and draws at random, so the screens are compared with their moving parts left out: the box
// each scenery object can reach, the sky strip, the calendar and the mouse pointer.
// A trip recorded once is kept with its demo (tests/data/desktop/scenery): played back without a
// display it shows, at the stored updates, the stored screens pixel for pixel, scenery and all;
// those same pictures are what the run under X is compared with, by the 16-bit colours the
// program draws with there (and without the cash, see kCash). QUOR_UPDATE_GOLDEN=1 records the
// trip anew and stores the demo, then the playback stores the updates, the boxes and the screens
// (a first recording without stored boxes cannot wait in the countries: record twice).
#include "game/shell/PlayerProfile.h"
#include "tests/desktop/DemoPlayback.h"
#include "tests/desktop/GameOnX.h"
#include "tests/desktop/SceneryData.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#ifdef GAME_TOOL

namespace {

namespace fs = std::filesystem;
using namespace xdesk;

const std::string kFolder = kSceneryFolder;
const std::string kDemo = kFolder + "eight-countries.dmo";
const std::string kData = kSceneryData;

const char* const kCountryNames[8] = {"england", "germany", "japan", "india", "france", "china", "russia", "usa"};
// The middle of each country's button on the world map.
constexpr int kMapButtons[8][2] = {{469, 230}, {563, 240}, {880, 294}, {717, 397},
                                   {497, 315}, {763, 293}, {720, 210}, {215, 285}};
// The countries whose screens are stored, and how long after the scenery is built.
constexpr int kShotCountries[] = {0, 4, 5, 6, 7};
constexpr int kShotAfter = 150;  // updates, 1.5 s
constexpr int kTravelX = 820;    // the travel office, in every country
constexpr int kTravelY = 320;

constexpr Mask kCash{640, 570, 220, 40};

bool Updating()
{
    return std::getenv("QUOR_UPDATE_GOLDEN") != nullptr;
}

bool IsShotCountry(int country)
{
    for (int c : kShotCountries)
        if (c == country)
            return true;
    return false;
}

// The player of the trip: past the tutorial, in England, every country released, money for the
// tickets.
Quor::PlayerProfile Traveller()
{
    Quor::PlayerProfile player;
    player.name = "Mira";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 20000;
    player.day = 10;
    player.country = 0;
    for (int country = 0; country < 8; ++country)
        player.countries[country] = true;
    return player;
}

// What the program printed last as its update count, or -1.
long LastUpdateCount(const std::string& log)
{
    const std::string text = ReadText(log) + ReadText(log + ".err");
    const size_t at = text.rfind("Update Count");
    const size_t equals = at == std::string::npos ? at : text.find('=', at);
    return equals == std::string::npos ? -1 : std::strtol(text.c_str() + equals + 1, nullptr, 10);
}

// What a playback saw: the countries in the order their scenery came up, with the update, and
// its last update.
struct Arrivals {
    std::vector<int> countries;
    std::vector<int> updates;
    int end = -1;
};

// Plays the demo of the trip in a child process; `each` sees the game after every update and may
// end the playback. The child's findings come back through `report` (one line each), the
// arrivals too.
int PlayInChild(const std::string& demo, const std::string& report,
                const std::function<void(DemoPlayback&, Arrivals&, std::ofstream&)>& each)
{
    return RunInChild([&] {
        quortest::TempDir home;
        fs::create_directories(home.File("config"));
        // The game reads the save files from the disk, also when it plays a demo.
        WriteProfiles(home.Path().string(), Traveller());
        std::ofstream out(report, std::ios::trunc);
        Arrivals seen;
        int status = 0;
        {
            DemoPlayback game(demo, home.Path().string());
            game.mOnUpdate = [&](DemoPlayback& g) {
                const int country = g.SceneryCountry();
                if (country >= 0 && (seen.countries.empty() || seen.countries.back() != country)) {
                    seen.countries.push_back(country);
                    seen.updates.push_back(g.mUpdateCount);
                }
                seen.end = g.mUpdateCount;
                each(g, seen, out);
            };
            status = game.Run();
        }
        out << "arrivals";
        for (size_t i = 0; i < seen.countries.size(); ++i)
            out << ' ' << seen.countries[i] << '@' << seen.updates[i];
        out << "\nend " << seen.end << "\nstatus " << status << '\n';
        return 0;
    }, 900s);
}

// The report's lines starting with the word, without it.
std::vector<std::string> Lines(const std::string& report, const std::string& word)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadText(report));
    for (std::string line; std::getline(in, line);)
        if (line.rfind(word + " ", 0) == 0 || line == word)
            lines.push_back(line.size() > word.size() ? line.substr(word.size() + 1) : "");
    return lines;
}

const std::string kAllEight = "0@ 1@ 2@ 3@ 4@ 5@ 6@ 7@";

// The arrivals line without the updates: "0@ 1@ ...".
std::string CountriesOf(const std::string& arrivals)
{
    std::string out;
    std::istringstream in(arrivals);
    for (std::string word; in >> word;)
        out += (out.empty() ? "" : " ") + word.substr(0, word.find('@') + 1);
    return out;
}

} // namespace

TEST(SceneryOnX, EightCountriesByTheWorldMapRecordedAsADemo)
{
    SKIP_WITHOUT_X_TOOLS();
    const SceneryData stored = ReadSceneryData(quortest::DataFile(kData));
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    const std::string demo = dir.File("trip.dmo");
    fs::create_directories(home);
    WriteProfiles(home, Traveller());

    long recordedUpdates = -1;
    {
        GameOnX game(GAME_TOOL, GameFolder(), home, {}, {"-record", "-demofile=" + demo});
        ASSERT_TRUE(game.Up());
        // The stored screens of the playback are drawn at full colour.
        game.CompareAtSixteenBits();
        EXPECT_EQ(game.Still(kFolder + "main-menu.png", {}, 300s), "") << game.ErrorOutput();
        game.Click(85, 696);  // the game
        ASSERT_TRUE(game.Changed()) << game.ErrorOutput();
        int mouseX = 85, mouseY = 696;
        for (int country = 0; country < 8; ++country) {
            if (country > 0) {
                // The travel office, then the next country's button once the map stands still.
                game.Click(kTravelX, kTravelY);
                ASSERT_TRUE(game.Settle()) << "no world map in " << kCountryNames[country - 1] << game.ErrorOutput();
                game.Click(kMapButtons[country][0], kMapButtons[country][1]);
                mouseX = kMapButtons[country][0];
                mouseY = kMapButtons[country][1];
                ASSERT_TRUE(game.Changed()) << "no trip to " << kCountryNames[country];
            }
            // The bar comes with the country's screen.
            const std::string bar = kFolder + "bar.png";
            const std::vector<Mask> barOnly = BarOnly();
            ASSERT_EQ(Updating() && country == 0 ? game.Still(bar, barOnly) : game.WaitFor(bar, barOnly, 180s), "")
                << kCountryNames[country] << game.ErrorOutput();
            const auto boxes = stored.masks.find(country);
            if (boxes == stored.masks.end()) {
                // A first recording knows only the bar: its fade-in and three seconds.
                EXPECT_TRUE(Updating()) << "no boxes stored for " << kCountryNames[country];
                EXPECT_EQ(game.Hold(4s, barOnly), "") << kCountryNames[country];
                continue;
            }
            std::vector<Mask> masks = boxes->second;
            masks.push_back(Pointer(mouseX, mouseY));
            // The cash's digits are blended over its label, which drawing at 16 bits rounds
            // otherwise than drawing at full colour does.
            masks.push_back(kCash);
            const std::string picture = kFolder + kCountryNames[country] + ".png";
            if (!Updating() && IsShotCountry(country))
                EXPECT_EQ(game.WaitFor(picture, masks), "") << kCountryNames[country];
            else
                ASSERT_TRUE(game.Settle(masks)) << kCountryNames[country] << game.ErrorOutput();
            // Three seconds in the country, its screen unchanged but for the parts left out.
            EXPECT_EQ(game.Hold(3s, masks), "") << kCountryNames[country];
        }
        // The end of the desktop session ends the program as usual, the demo written.
        game.End();
        ASSERT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
        recordedUpdates = LastUpdateCount(home + "/game-log.txt");
    }
    ASSERT_GT(recordedUpdates, 0);

    if (Updating()) {
        fs::copy_file(demo, quortest::DataFile(kDemo), fs::copy_options::overwrite_existing);
        return;
    }
    // The run's own demo plays back to its end through the eight countries.
    const std::string report = dir.File("report.txt");
    ASSERT_EQ(PlayInChild(demo, report, [](DemoPlayback&, Arrivals&, std::ofstream&) {}), 0);
    const std::vector<std::string> arrivals = Lines(report, "arrivals");
    ASSERT_EQ(arrivals.size(), 1u) << ReadText(report);
    EXPECT_EQ(CountriesOf(arrivals[0]), kAllEight);
    EXPECT_EQ(Lines(report, "end"), std::vector<std::string>{std::to_string(recordedUpdates)});
    EXPECT_EQ(Lines(report, "status"), std::vector<std::string>{"0"});
}

TEST(SceneryOnX, TheStoredTripPlaysBackToTheStoredScreens)
{
    const std::string demo = quortest::DataFile(kDemo);
    ASSERT_TRUE(fs::exists(demo)) << "record the trip with QUOR_UPDATE_GOLDEN=1";
    const std::string dataPath = quortest::DataFile(kData);
    const SceneryData stored = ReadSceneryData(dataPath);
    const bool updating = Updating();
    quortest::TempDir dir;
    const std::string report = dir.File("report.txt");
    const size_t lastShot = std::size(kShotCountries);
    SceneryData made;
    std::vector<SceneryShot> pending;

    ASSERT_EQ(PlayInChild(demo, report, [&](DemoPlayback& g, Arrivals& seen, std::ofstream& out) {
        const int now = g.mUpdateCount;
        if (!seen.updates.empty() && seen.updates.back() == now) {
            const int country = seen.countries.back();
            const std::vector<Mask> masks = g.SceneryMasks();
            made.masks[country] = masks;
            const auto was = stored.masks.find(country);
            if (!updating && (was == stored.masks.end() || was->second != masks))
                out << "problem: the moving parts of " << kCountryNames[country] << " are not the stored ones\n";
            if (updating && IsShotCountry(country))
                pending.push_back(SceneryShot{now + kShotAfter, country, std::string(kCountryNames[country]) + ".png"});
        }
        for (const SceneryShot& shot : updating ? pending : stored.shots) {
            if (shot.update != now)
                continue;
            if (g.SceneryCountry() != shot.country)
                out << "problem: at update " << now << " the screen is not " << kCountryNames[shot.country] << "'s\n";
            const std::string differs = quortest::CompareWithGolden(quortest::DataFile(kFolder + shot.picture),
                                                                    g.Screen(), 1024, 768);
            if (!differs.empty())
                out << "problem: " << shot.picture << ": " << differs << '\n';
            made.shots.push_back(shot);
            out << "shot " << shot.picture << '\n';
            if (made.shots.size() == lastShot) {
                if (updating && !WriteSceneryData(dataPath, made))
                    out << "problem: cannot write " << dataPath << '\n';
                g.Shutdown();
            }
        }
    }), 0);
    EXPECT_EQ(Lines(report, "problem"), std::vector<std::string>{});
    EXPECT_EQ(Lines(report, "shot").size(), lastShot) << ReadText(report);
    const std::vector<std::string> arrivals = Lines(report, "arrivals");
    ASSERT_EQ(arrivals.size(), 1u) << ReadText(report);
    EXPECT_EQ(CountriesOf(arrivals[0]), kAllEight);
}

#endif
