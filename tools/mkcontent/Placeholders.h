// Placeholder pictures: a flat colour per group or folder, a 1-pixel border, the label, button
// states lighter, darker or grey, transparent overlays and every cel of a strip numbered.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkcontent/Canvas.h"
#include "tools/mkcontent/Content.h"

namespace mkcontent {

Canvas DrawPlaceholder(const Picture& picture);

} // namespace mkcontent
