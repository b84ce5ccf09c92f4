#pragma once

#include "conversion/ConvertConfiguration.h"

#include <optional>
#include <string>
#include <vector>

// What kiss2bmp's command line asks for, read from the arguments and from whether the operands
// name folders: the usage errors that depend on what a doll holds are the run's, once it is open.
struct Command {
    enum Kind { Convert, Check, Help, Version, UsageError };
    Kind kind = Convert;
    // A usage error's problem, as the user wrote the names in it (not yet made printable).
    std::string problem;
    // The set as the window's selector would hold it: text that is no number goes to the run.
    std::string setText = "0";
    std::optional<std::string> cnfName;
    // One doll is converted into the output folder itself, several each into a folder of its own
    // there (OUTPUT/NAME/), several at once.
    std::vector<std::string> dolls;
    std::string output = ".";
    int jobs = 1;
    // The run's options; a page's pictures are PNG files by the run's own rule, not by this.
    ImageFormat format = ImageFormat::Bmp;
    std::string snapshotPath;
    bool page = false;
    bool texts = true; // the page shows the author's texts
    bool open = false;
    bool quiet = false, verbose = false;
};

// Reads the arguments after the program's name; the first problem found is the usage error.
// defaultJobs: how many dolls are converted at once unless -j says.
Command ParseArguments(const std::vector<std::string>& arguments, int defaultJobs = 1);

// The help: the usage, and what this build cannot do.
std::string UsageText();
