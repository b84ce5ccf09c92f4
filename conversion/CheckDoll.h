#pragma once

#include <string>
#include <vector>

class DollFiles;

// A doll looked over without writing anything, one finding a line:
//   found NAME | case NAME -> STORED | ambiguous NAME -> A B ... | missing NAME
// for each file a "%" or "#" line names, then "unnamed FILE" for the doll's files that no line
// names, then "object out of range #N NAME", "no palette line NAME *I" and "no set line $K".
// Files are shown relative to the configuration's folder.
struct DollCheck {
    std::vector<std::string> findings;
    bool allFound = true; // every named file found, none ambiguous
};
DollCheck CheckDoll(DollFiles& doll);
