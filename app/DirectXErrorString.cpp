// Names of the result codes, from the one table in the platform layer.
#include "app/DirectXErrorString.h"

#include "app/Common.h"
#include "platform/Results.h"

namespace Quor {

std::string GetDirectXErrorString(int32_t code)
{
    switch (static_cast<uint32_t>(code)) {
#define QUOR_DX_RESULT_NAME(name, value) \
    case value##u:                       \
        return #name;
        QUOR_DX_RESULT_CODES(QUOR_DX_RESULT_NAME)
#undef QUOR_DX_RESULT_NAME
    default:
        return StrFormat("%x", static_cast<unsigned>(code));
    }
}

} // namespace Quor
