// Counting the allocations of a stretch of work on this thread.
#pragma once

namespace worldtest {

void StartCountingAllocations();
// The number of operator new calls since the start.
long StopCountingAllocations();

} // namespace worldtest
