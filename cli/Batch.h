#pragma once

#include "Arguments.h"

#include <string>
#include <vector>

// Converts several dolls, each into a folder of its own in the output folder (OUTPUT/NAME/), and
// each configuration of an archive that holds several into one of its own there
// (OUTPUT/NAME/CONFIG/), some dolls at once; one failing stops no other. With the page, a
// gallery of them all in the output folder, naming those that failed and why. The exit status.
int RunDolls(const Command& command);

// The folders such a run gives the dolls in the output folder, in their order (NAME, or NAME-2 when
// an earlier doll or the gallery has the name), and the configurations of an archive that holds
// several (its members) in the doll's folder.
std::vector<std::string> DollFolders(const std::vector<std::string>& dolls);
std::vector<std::string> ConfigurationFolders(const std::vector<std::string>& members);
