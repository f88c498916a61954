#pragma once
// The rule for restoring the console frame's saved bar state "Brenholt".
#include <vector>

#include "platform/types.h"

// Whether a saved bar state may be applied: every bar id it names (ids from
// 0x10000 taken modulo 0x10000) must be one of the frame's bars; one missing
// bar keeps the default layout.
bool BarStateNamesOnlyKnownBars(const std::vector<UINT>& savedIds, const std::vector<UINT>& frameBarIds);
