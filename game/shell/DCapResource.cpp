// DCapResource: construction and the clean-up of the records and the game's own objects.
#include "game/shell/DCapResource.h"

#include "game/shell/ResourceBinding.h"

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

void DCapResource::DeleteResources(const std::string& theGroup)
{
    ResourceManager::DeleteResources(theGroup);
    if (!theGroup.empty()) {
        UnbindResourceGroup(theGroup.c_str());
        return;
    }
    for (std::size_t i = 0; i < kResourceGroupCount; ++i)
        UnbindResourceGroup(kResourceGroupNames[i]);
}

} // namespace Quor
