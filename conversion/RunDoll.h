#pragma once

#include "CelDecoder.h"
#include "KissConfiguration.h"
#include "RunControls.h"
#include "StartState.h"

#include <functional>
#include <vector>

class DollFiles;

// The doll as a run has read it, for the page made of it: its files, its configuration as
// viewers read it, the doll as a viewer first shows it in the chosen set, the sets the page
// shows, the cels decoded on demand and the first palette's colours.
struct RunDoll {
    DollFiles& files;
    const KissConfiguration& configuration;
    const DollStart& start;
    const std::vector<int>& sets; // each the configuration defines, the chosen one, the opening one
    CelDecoder& cels;
    FirstPalette& firstPalette;
    RunControls& controls;             // for the notices of what the page leaves out
    std::function<void(int)> setAdded; // a set is in the page: for the run's progress
    bool texts = true;                 // the page shows the author's texts
};

// The sets a page shows: each the configuration defines, the chosen one and the one it opens on.
std::vector<int> PageSets(const KissConfiguration& configuration, int chosen, int opening);
// The number of cels a set shows.
int CelsIn(const KissConfiguration& configuration, int set);
