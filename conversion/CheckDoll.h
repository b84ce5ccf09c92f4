#pragma once

#include <string>
#include <vector>

class DollFiles;

// A doll looked over without writing anything, one finding a line:
//   found NAME | case NAME -> STORED | ambiguous NAME -> A B ... | missing NAME | component NAME
// for each file a "%" or "#" line names (component: an FKiSS 5 component, which is no file), then
// "unnamed FILE" for the doll's files that no line names (and "not looked at: ..." for a limit the
// walk of its folder met), then "object out of range #N NAME", "no palette line NAME *I" and "no
// set line $K". The doll is read as viewers read it; then come what they see of it: "fkiss level
// L", "played by the page only NAME: N times, first on line L" for what the start picture leaves to
// the page, "not played NAME: ..." for what neither plays, "fkiss NOTE", "no cel line NAME (fkiss
// line L)", "32-bit cel NAME: blank in BMP files, kept by --format png", "image file NAME: FORMAT",
// "hidden at the start NAME" (in the set given), and last "refused by the BMP run: REASON" for each
// reason the designed run would fail (a cel of the set whose picture is too large among them).
// Files are shown relative to the configuration's folder.
struct DollCheck {
    std::vector<std::string> findings;
    bool allFound = true;       // every named file found, none ambiguous
    bool bmpRunRefuses = false; // converting the doll to BMP files would fail
};
DollCheck CheckDoll(DollFiles& doll, int set = 0);
