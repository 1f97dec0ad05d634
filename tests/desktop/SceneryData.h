// The stored facts of the recorded trip through the eight countries, kept beside its demo and
// pictures: the updates at which the playback's screens were stored, and each country screen's
// moving parts as boxes to leave out when a screenshot is compared.
//   shot <update> <country> <picture>
//   mask <country> <x> <y> <w> <h>
#pragma once

#include "tests/desktop/GameOnX.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace xdesk {

// Where the trip's files lie, below tests/data.
inline const std::string kSceneryFolder = "desktop/scenery/";
inline const std::string kSceneryData = kSceneryFolder + "eight-countries.txt";

struct SceneryShot {
    int update = 0;
    int country = 0;
    std::string picture;  // below tests/data/desktop/scenery/
};

struct SceneryData {
    std::vector<SceneryShot> shots;
    std::map<int, std::vector<Mask>> masks;  // by country
};

inline SceneryData ReadSceneryData(const std::string& path)
{
    SceneryData data;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "shot") {
            SceneryShot shot;
            if (words >> shot.update >> shot.country >> shot.picture)
                data.shots.push_back(shot);
        } else if (kind == "mask") {
            int country = 0;
            Mask m{};
            if (words >> country >> m.x >> m.y >> m.w >> m.h)
                data.masks[country].push_back(m);
        }
    }
    return data;
}

inline bool WriteSceneryData(const std::string& path, const SceneryData& data)
{
    std::ofstream out(path, std::ios::trunc);
    for (const SceneryShot& shot : data.shots)
        out << "shot " << shot.update << ' ' << shot.country << ' ' << shot.picture << '\n';
    for (const auto& [country, masks] : data.masks)
        for (const Mask& m : masks)
            out << "mask " << country << ' ' << m.x << ' ' << m.y << ' ' << m.w << ' ' << m.h << '\n';
    return bool(out);
}

// The head-up display's calendar: the week and the day of the week, and the date picture in the
// corner.
inline const std::vector<Mask> kCalendar{kWeekMask, {0, 744, 240, 24}};

// The pointer, drawn by the program on the X screen but not in a played-back screen.
inline Mask Pointer(int x, int y)
{
    return Mask{x - 4, y - 4, 40, 40};
}

// The head-up display's opaque strip, without the cash, the calendar and the pointer where the
// main menu's game button was clicked: the same in every country, and on the screen only while
// a country's screen shows (desktop/scenery/bar.png).
inline std::vector<Mask> BarOnly()
{
    std::vector<Mask> masks{{0, 0, 1024, 616}, {640, 596, 220, 40}, Pointer(85, 696)};
    masks.insert(masks.end(), kCalendar.begin(), kCalendar.end());
    return masks;
}

inline bool operator==(const Mask& a, const Mask& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

} // namespace xdesk
