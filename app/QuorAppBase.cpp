// QuorAppBase: construction, start-up, destruction and the passes over the live images.
#include "app/QuorAppBase.h"

namespace Quor {

QuorAppBase* gQuorAppBase = nullptr;

} // namespace Quor
