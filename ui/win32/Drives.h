#pragma once

#include "common/WindowText.h"

#include <string>
#include <vector>

// One line of the drive chooser.
struct TDriveLine {
    char letter = 'c'; // lower case
    TVolumeKind kind = TVolumeKind::Fixed;
    std::string text; // "c: [system]", in the ANSI code page
};

// The machine's drives, a to z: those the system reports present with a root directory, of a
// kind the chooser shows. A removable drive's volume is never read; labels are read with the
// system's critical-error prompts off, so an empty drive brings up no message.
std::vector<TDriveLine> MachineDrives();
