// The name of a display, 3-D or sound result code, for error texts.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

// The code's constant name ("DDERR_SURFACELOST", "E_OUTOFMEMORY", ...); a code without a name
// gives its value in lower-case hexadecimal without prefix ("8876ffff", "0").
std::string GetDirectXErrorString(int32_t code);

} // namespace Quor
