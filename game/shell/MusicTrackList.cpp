#include "game/shell/MusicTrackList.h"

#include "game/shell/GameApp.h"
#include "sound/MusicInterface.h"

namespace Quor {

MusicTrackList::MusicTrackList(GameApp* app) : mApp(app) {}

MusicTrackList::~MusicTrackList()
{
    StopAll();
}

void MusicTrackList::StopAll()
{
    if (mApp->mMusicInterface)
        mApp->mMusicInterface->UnloadAllMusic();
}

} // namespace Quor
