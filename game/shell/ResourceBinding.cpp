#include "game/shell/ResourceBinding.h"

#include "resources/ResourceManager.h"

#include <cstring>
#include <map>
#include <string>
#include <unordered_map>

namespace Quor {

bool BindResourceList(ResourceManager* rm, const ResourceBinding* list, std::size_t count)
{
    try {
        for (std::size_t i = 0; i < count; ++i) {
            const ResourceBinding& b = list[i];
            switch (b.kind) {
            case ResourceKind::Image: {
                // The manager keeps its own reference, so the image lives until the group goes.
                Image* image = rm->GetImageThrow(b.name).GetImage();
                *static_cast<Image**>(b.variable) = image;
                if (b.holdMs > 0)
                    RetimeAnimation(image, b.holdMs);
                break;
            }
            case ResourceKind::Font:
                *static_cast<Font**>(b.variable) = rm->GetFontThrow(b.name);
                break;
            case ResourceKind::Sound:
                *static_cast<int*>(b.variable) = rm->GetSoundThrow(b.name);
                break;
            }
        }
    } catch (const ResourceManagerException&) {
        return false;
    }
    return true;
}

void RetimeAnimation(Image* image, int holdMs)
{
    if (!image || !image->mAnimInfo)
        return;
    ImageAnimation* anim = image->mAnimInfo;
    for (int cel = 0; cel < image->mNumCols; ++cel)
        anim->SetFrameDelay(cel, anim->mFrameDelay);
    anim->SetFrameDelay(0, holdMs);
    anim->SetUp(image->mNumCols, 0, 0);
}

void UnbindResourceGroup(const char* group)
{
    std::size_t count = 0;
    const ResourceBinding* list = ResourceGroupBindings(group, &count);
    for (std::size_t i = 0; i < count; ++i) {
        if (list[i].kind == ResourceKind::Image)
            *static_cast<Image**>(list[i].variable) = nullptr;
        else if (list[i].kind == ResourceKind::Font)
            *static_cast<Font**>(list[i].variable) = nullptr;
    }
}

const char* ResourceNameById(int id)
{
    if (id < 0 || id >= RESOURCE_ID_MAX)
        return "";
    return kNumberedResources[id].name;
}

int ResourceIdByName(const char* name)
{
    // Built on first use (during start-up, on the main thread) and kept to the end.
    static const std::unordered_map<std::string, int> map = [] {
        std::unordered_map<std::string, int> m;
        for (int i = 0; i < RESOURCE_ID_MAX; ++i)
            m.emplace(ResourceNameById(i), i);
        return m;
    }();
    if (!name)
        return RESOURCE_ID_MAX;
    auto it = map.find(name);
    return it == map.end() ? RESOURCE_ID_MAX : it->second;
}

int ResourceIdByObject(const void* variable)
{
    static const std::map<const void*, int> map = [] {
        std::map<const void*, int> m;
        for (int i = 0; i < RESOURCE_ID_MAX; ++i)
            m.emplace(kNumberedResources[i].variable, i);
        return m;
    }();
    auto it = map.find(variable);
    return it == map.end() ? RESOURCE_ID_MAX : it->second;
}

void* ResourceRefById(int id)
{
    if (id < 0 || id >= RESOURCE_ID_MAX)
        return nullptr;
    return kNumberedResources[id].variable;
}

Image* ResourceImageById(int id)
{
    if (id < 0 || id >= RESOURCE_ID_MAX || kNumberedResources[id].kind != ResourceKind::Image)
        return nullptr;
    return *static_cast<Image**>(kNumberedResources[id].variable);
}

Font* ResourceFontById(int id)
{
    if (id < 0 || id >= RESOURCE_ID_MAX || kNumberedResources[id].kind != ResourceKind::Font)
        return nullptr;
    return *static_cast<Font**>(kNumberedResources[id].variable);
}

} // namespace Quor
