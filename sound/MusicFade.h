// What both music players share: the fade step of one song per update and volumes in
// hundredths.
#pragma once

#include <cmath>

namespace Quor {

// A volume 0.0-1.0 in hundredths, truncated toward zero.
inline int MusicHundredths(double volume)
{
    return int(std::trunc(volume * 100.0));
}

// One update of a fading song (fields volume, volumeStep, ceiling, stopWhenSilent): the step is
// added; above the ceiling the volume stays at the ceiling, below 0.0 at 0.0, and the fade ends.
// True when the song is to be stopped now (it went below 0.0 with the stop flag).
template <class Song>
bool StepMusicFade(Song& song)
{
    song.volume += song.volumeStep;
    if (song.volume > song.ceiling) {
        song.volume = song.ceiling;
        song.volumeStep = 0.0;
    } else if (song.volume < 0.0) {
        song.volume = 0.0;
        song.volumeStep = 0.0;
        return song.stopWhenSilent;
    }
    return false;
}

} // namespace Quor
