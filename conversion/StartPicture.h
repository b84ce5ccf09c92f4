#pragma once

#include "imaging/SetPicture.h"

class CelDecoder;
class FirstPalette;
struct DollState;
struct KissConfiguration;

// The start state's set as one picture, on colour 0 of the first palette in its group: its cels
// that are shown and placed, drawn back to front, see-through as the state has them.
SetPicture StartPicture(const KissConfiguration& configuration, const DollState& start,
                        CelDecoder& cels, FirstPalette& firstPalette);
