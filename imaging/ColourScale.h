#pragma once

// How a 12-bit palette colour's 4-bit components become bytes: Designed by 16 (15 gives 240),
// as our BMP files have always held them; Viewer by 17 (15 gives 255), as viewers show them.
// 24-bit colours are the same in both. As viewers show a palette, too, the groups it lacks are
// copies of its group 0 (grey as designed).
enum class ColourScale { Designed, Viewer };
