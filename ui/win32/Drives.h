#pragma once

#include "common/WindowText.h"

#include <windows.h>

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

// The process's current directory, as the system spells it.
std::string ProcessDirectory();
// The drive letter a path begins with, lower case; none without "X:".
char DriveLetterOf(const std::string& path);
// What the volume of a drive does with the case of names (FILE_CASE_... flags); none when unread.
DWORD VolumeFlags(char letter);
