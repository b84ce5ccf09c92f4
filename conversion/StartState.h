#pragma once

#include "KissConfiguration.h"

#include "fkiss/DollState.h"
#include "fkiss/FkissProgram.h"

#include <string>
#include <vector>

// The doll in a set as its configuration places it, before any FKiSS has run: cels hidden by
// ";%u", see-through by ";%tN", each object where each set puts it (objects 0 to the highest a
// cel names) and as fixed as its most fixed cel.
DollState InitialState(const KissConfiguration& configuration, int set);

// The doll as a viewer first shows it: as its configuration places it in the set, then as its
// FKiSS initialize() and begin() leave it, with what the program could not do.
struct DollStart {
    FkissProgram program;
    DollState state;
    std::vector<std::string> notes;
};
DollStart StartOf(const KissConfiguration& configuration, int set);
