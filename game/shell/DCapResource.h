// The game's resource manager: the framework's manager plus a store of named objects and a list
// of names that the game keeps beside its resources and that go away with the manager.
#pragma once

#include "resources/ResourceManager.h"

#include <map>
#include <string>
#include <vector>

namespace Quor {

class DCapResource : public ResourceManager {
public:
    // Base of the objects the game files by name; the manager deletes them.
    class Object {
    public:
        virtual ~Object() = default;
    };

    std::map<std::string, Object*> mObjectMap;  // owned
    std::vector<std::string> mNames;

    explicit DCapResource(QuorAppBase* theApp);
    // Deletes every resource record, every filed object and the list, then the base goes.
    ~DCapResource() override;

    // Frees the group's loaded objects and sets the group's image and font variables to null, so
    // that nothing draws from a freed picture; the empty name does so for every group.
    void DeleteResources(const std::string& theGroup) override;
};

} // namespace Quor
