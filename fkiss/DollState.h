#pragma once
#include "KissPosition.h"
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>
// A doll as a viewer holds it while it plays: what FKiSS actions change.
struct DollState {
    struct Cel {
        std::string name; // its file name lowered: how FKiSS names it
        int object = 0;
        bool mapped = true;            // false: hidden (";%u", unmap)
        std::int32_t transparency = 0; // 0 opaque ... 255 invisible (";%tN", transparent)
    };
    std::vector<Cel> cels;              // in configuration order, front to back
    int set = 0;                        // the set shown
    std::array<int, 10> paletteGroup{}; // each set's palette group
    std::array<std::vector<KissPosition>, 10>
        positions;                 // [set][object], every vector sized to the object count
    std::vector<std::int32_t> fix; // [object]
    std::map<std::string, std::int32_t> variables; // FKiSS 3 variables by lowered name, 0 until set
    // The timers running, for alarms with an alarm() event: delay in ms and up to how much more.
    std::map<std::int32_t, std::pair<std::int32_t, std::int32_t>> timers;
};
