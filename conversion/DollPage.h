#pragma once

#include "DollState.h"
#include "FkissProgram.h"

#include "imaging/Bmp256Image.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The doll as a page that plays it shows it: every set the configuration defines, each with the
// cels it places and the pictures the run wrote for them in the set's palette group.
struct DollPage {
    struct Picture {
        std::string fileName; // relative to the output folder, as the system names it
        std::vector<std::int32_t> opaqueRuns; // where a pointer takes hold of it (OpaqueRuns)
    };
    struct Cel {
        int picture = 0; // index into pictures
        int object = 0;
        int line = 0; // the cel line it comes from, counted from 0
    };
    struct Set {
        int number = 0;
        TBmp256Image::Colour background, border;
        std::vector<std::int32_t> x, y;         // each object's position
        std::vector<std::int32_t> homeX, homeY; // as the configuration places it (-1 for none)
        std::vector<Cel> cels;                  // front to back
        bool defined = false;                   // the configuration has a "$" line for it
    };

    std::string title;                   // the configuration's base name, UTF-8
    std::int32_t width = 0, height = 0;  // the play area
    int startSet = 0;                    // index into sets
    // The doll as the page starts it: each cel line's name, object, whether it is shown and how
    // much it lets through (0 opaque to 255 invisible); each set's palette group; each object's
    // fix value (tries before it comes loose); the variables and the timers running.
    DollState start;
    FkissProgram program; // what the page plays from there
    std::vector<Picture> pictures;
    std::vector<Set> sets;
    std::vector<std::pair<std::string, std::string>> readmes; // the author's texts: name, UTF-8
};
