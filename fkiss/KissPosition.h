#pragma once

#include <cstdint>

// Where an object stands in a set: its top-left corner in the play area.
struct KissPosition {
    std::int32_t x = -1;
    std::int32_t y = -1; // (-1, -1): the object is absent from the set
};
