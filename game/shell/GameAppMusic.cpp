// GameApp: the music of the menus and of the country screens.
#include "game/shell/GameApp.h"

#include "game/shell/MusicTrackList.h"
#include "sound/MusicInterface.h"

namespace Quor {

namespace {

struct CountryMusic {
    const char* arrival;     // id 0: once on arrival
    double arrivalLength;
    const char* theme;       // id 1: the country's main theme
    const char* second;      // id 2: the second piece, starting with the theme
    double secondLength;
    double themeDelay;       // when ids 1 and 2 first start
};

constexpr CountryMusic kCountryMusic[8] = {
    {"music/England.ogg", 16, "music/main_eng.ogg", "music/England_1.ogg", 30, 20},
    {"music/Germany.ogg", 19, "music/main_ger.ogg", "music/England_1.ogg", 30, 23},
    {"music/Jp.ogg", 19, "music/main_jap.ogg", "music/England_1.ogg", 30, 23},
    {"music/India.ogg", 21, "music/main_ind.ogg", "music/India_1.ogg", 24, 25},
    {"music/Fr.ogg", 15, "music/main_fra.ogg", "music/Fr_1.ogg", 23, 19},
    {"music/China.ogg", 18, "music/main_chn.ogg", "music/England_1.ogg", 30, 22},
    {"music/RS.ogg", 9, "music/main_rus.ogg", "music/RS_1.ogg", 20, 13},
    {"music/USA.ogg", 17, "music/main_usa.ogg", "music/RS_1.ogg", 20, 21},
};

constexpr double kArrivalDelay = 0.05;
constexpr double kThemeLength = 59;
constexpr double kThemePause = 30;
constexpr double kSecondPause = 1;

} // namespace

void GameApp::PlayMusicFile(const std::string& fileName)
{
    if (mMusicInterface == nullptr)
        return;
    mMusicInterface->UnloadAllMusic();
    mMusicInterface->LoadMusic(0, fileName);
    mMusicInterface->FadeIn(0, 5, 0.002, false);
}

void GameApp::PlayCountryMusic(int country)
{
    // The scheduler is emptied first, so an earlier programme's tracks never hold the ids.
    musicTracks->StopAll();
    if (country < 0 || country > 7)
        return;
    const CountryMusic& m = kCountryMusic[country];
    MusicTrackList* list = musicTracks;
    list->Insert(0, new MusicTrack(0, list, m.arrival, m.arrivalLength, false, kArrivalDelay, 0));
    list->Insert(1, new MusicTrack(1, list, m.theme, kThemeLength, true, m.themeDelay, kThemePause));
    list->Insert(2, new MusicTrack(2, list, m.second, m.secondLength, true, m.themeDelay, kSecondPause));
}

} // namespace Quor
