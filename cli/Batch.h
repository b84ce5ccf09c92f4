#pragma once

#include "Arguments.h"

// Converts several dolls, each into a folder of its own in the output folder (OUTPUT/NAME/), and
// each configuration of an archive that holds several into one of its own there
// (OUTPUT/NAME/CONFIG/), some dolls at once; one failing stops no other. With the page, a
// gallery of them all in the output folder, naming those that failed and why. The exit status.
int RunDolls(const Command& command);
