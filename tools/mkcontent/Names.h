// The program's list of resource names (group, kind, name, numbered id, hold time), and the
// check that the content tables declare exactly those resources.
#pragma once

#include <string>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

struct ResourceName {
    int line = 0;
    std::string group;   // "-" for a name no group binds
    Kind kind = Kind::Image;
    std::string name;
    int id = -1;         // numbered id, -1 for none
    int hold = -1;       // cel-0 hold time of a retimed animation, -1 for none
};

// Throws ContentError naming the line of a malformed entry.
std::vector<ResourceName> LoadResourceNames(const std::string& path);

// Throws ContentError at the first difference: a name without its row, a row the list does not
// have, a row in another group or of another kind, a retimed picture without an animation.
void CheckAgainstNames(const Content& content, const std::vector<ResourceName>& names, const std::string& namesPath);

} // namespace mkcontent
