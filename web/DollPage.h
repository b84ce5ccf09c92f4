#pragma once

#include "doll/DollSounds.h"
#include "fkiss/DollState.h"
#include "fkiss/FkissProgram.h"

#include "imaging/Bmp256Image.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The doll as a page that plays it shows it: every set the configuration defines, each with the
// cels it places, and the pixels of each of those cels and their palettes, so that the page can
// draw any cel in any palette group.
struct DollPage {
    // A cel as decoded, standing at its offset (a negative one moves the picture instead):
    // colour indices, or red, green, blue and alpha; a cel left out has none.
    struct Image {
        enum class Kind {
            Indexed, // a byte a pixel, the same in every group; 0 is clear
            Nibbles, // a 4-bit cel's: 1 to 15, moved 16 colours on a group; 0 is clear
            Rgba     // a 32-bit cel's four bytes a pixel, straight alpha
        };
        std::int32_t width = 0, height = 0;
        Kind kind = Kind::Indexed;
        int palette = 0;    // index into palettes (none for Rgba)
        std::string pixels; // rows top down, unpadded; an animation's frames one after another
        std::int32_t x = 0,
                     y = 0; // where it stands from its object's place: 0, or a negative offset
        // An animation's (Rgba only): each frame's delay in ms, and how many times it plays (0:
        // for ever); none for a still image.
        std::vector<std::int32_t> delays;
        std::int32_t plays = 0;
    };
    struct Cel {
        int image = 0; // index into images
        int object = 0;
        int line = 0; // the cel line it comes from, counted from 0
    };
    struct Set {
        int number = 0;
        std::vector<std::int32_t> x, y;         // each object's position
        std::vector<std::int32_t> homeX, homeY; // as the configuration places it (-1 for none)
        std::vector<Cel> cels;                  // front to back
        bool defined = false;                   // the configuration has a "$" line for it
    };

    std::string title;                  // the configuration's base name, UTF-8
    std::int32_t width = 0, height = 0; // the play area
    int startSet = 0;                   // index into sets
    // The doll as the page starts it: each cel line's name, object, whether it is shown and how
    // much it lets through (0 opaque to 255 invisible); each set's palette group; each object's
    // fix value (tries before it comes loose); the variables and the timers running.
    DollState start;
    FkissProgram program; // what the page plays from there
    std::vector<Image> images;
    std::vector<std::string> palettes; // 256 colours of red, green, blue bytes each
    std::vector<DollSound> sounds;     // what the program's sound actions play
    std::vector<Set> sets;
    // Each palette group's colours of the play area and of its border.
    std::vector<std::pair<TBmp256Image::Colour, TBmp256Image::Colour>> groupColours;
    std::vector<std::pair<std::string, std::string>> readmes; // the author's texts: name, UTF-8
};
