#pragma once

#include "DollState.h"

#include <string>
#include <vector>

// The doll in a set as its configuration places it, before any FKiSS has run: cels hidden by
// ";%u", see-through by ";%tN", each object where each set puts it (objects 0 to the highest a
// cel names) and as fixed as its most fixed cel.
DollState InitialState(const KissConfiguration& configuration, int set);
