// DCapResource: construction and the clean-up of the records and the game's own objects.
#include "game/shell/DCapResource.h"

namespace Quor {

DCapResource::DCapResource(QuorAppBase* theApp) : ResourceManager(theApp) {}

DCapResource::~DCapResource()
{
    DeleteAllRecords();
    for (auto& [aName, anObject] : mObjectMap)
        delete anObject;
    mObjectMap.clear();
    mNames.clear();
    mNames.shrink_to_fit();
}

} // namespace Quor
