// The game's resource variables and their lookups: binding a loaded group into its variables,
// clearing them when the group goes, and the numbered ids (name <-> id <-> variable).
// The variables, the bind functions and the tables come from ResourceIds.h, which the build
// generates from ResourceNames.txt.
#pragma once

#include "game/shell/ResourceIds.h"

#include <cstddef>

namespace Quor {

class Font;
class Image;
class ResourceManager;

// Fetches every name of the list from the manager into its variable, in order; false at the first
// name the manager does not hold (the earlier variables keep their new values, that one and the
// later ones their old values).
bool BindResourceList(ResourceManager* rm, const ResourceBinding* list, std::size_t count);

// Gives every cel of an animated image the animation's frame delay, then cel 0 the hold time, and
// sets the animation up again for the image's cel columns. Nothing for an image without one.
void RetimeAnimation(Image* image, int holdMs);

// Sets the image and font variables of a group to null (sound ids stay); nothing for a name that
// is not a group.
void UnbindResourceGroup(const char* group);

// The name of a numbered resource; "" for an id outside 0-332.
const char* ResourceNameById(int id);
// The id of a numbered name (exact, case-sensitive); RESOURCE_ID_MAX when it is not one.
int ResourceIdByName(const char* name);
// The id whose variable lies at this address; RESOURCE_ID_MAX for any other address.
int ResourceIdByObject(const void* variable);
// The address of the variable of a numbered resource; null for an id outside 0-332.
void* ResourceRefById(int id);
// The bound image of a numbered image resource; null for an id outside 0-332, a font id, or a
// variable that is not bound.
Image* ResourceImageById(int id);
// The bound font of a numbered font resource (5-15); null for any other id.
Font* ResourceFontById(int id);

} // namespace Quor
