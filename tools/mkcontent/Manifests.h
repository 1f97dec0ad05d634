// The resource manifests: one XML file per manifest of groups.tsv, a section per group, one
// SetDefaults per folder of the section, every resource with its id given.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

// (archive path, text) of each manifest, in the order the program reads them.
std::vector<std::pair<std::string, std::string>> WriteManifests(const Content& content);

} // namespace mkcontent
