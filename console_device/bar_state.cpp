// The saved bar state rule (see bar_state.h).
#include "console_device/bar_state.h"

#include <algorithm>

bool BarStateNamesOnlyKnownBars(const std::vector<UINT>& savedIds, const std::vector<UINT>& frameBarIds)
{
    for (UINT id : savedIds)
        if (std::find(frameBarIds.begin(), frameBarIds.end(), id % 0x10000) == frameBarIds.end()) return false;
    return true;
}
