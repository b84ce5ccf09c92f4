#pragma once

#include <string>

struct DollPage;
struct RunDoll;

// The page that plays a doll: one self-contained HTML file (its script and style inline) showing
// the pictures beside it, with a button for each set. Nothing is fetched from elsewhere, so it
// works opened from disk.
std::string PlayPage(const DollPage& doll);
// The page of the doll a run has read.
std::string PlayPageOf(const RunDoll& doll);
