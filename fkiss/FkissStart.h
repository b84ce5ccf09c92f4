#pragma once

#include "DollState.h"
#include "FkissProgram.h"

#include <string>
#include <string_view>
#include <vector>

// What a viewer does before it shows the first picture: runs the actions of every initialize()
// event, then of every begin(), then of every version(n) for the levels known here (n 0 to 4),
// the events of each kind in file order as one handler, goto and gosub reaching every label(n)
// event of that number the same way.
//
// Applied: map, unmap, altmap (a cel name: every cel of that name; an object: all its cels),
// transparent (added, kept within 0..255), move, moveto, movebyx, movebyy (in the set shown),
// changeset, changecol, setfix, the variables (let, add, sub, mul, div, mod, wrapping at 32 bits;
// letset, letpal, letfix, letmapped, lettransparent, letobjectx, letobjecty, letcatch -1), the
// structured ifs (ifequal, ifnotequal, ifgreaterthan, iflessthan, nested, with else and endif),
// goto, gosub, exitevent and nop. Everything else is the page's: sound, music, timers (with the
// ifmapped family, which only start timers), anything random, the mouse, collisions, the viewer's
// window, and the set(), col() and unfix() events an action would set off. The timers are kept
// in the state for the page to start: timer, randomtimer and, when their test holds, iffixed,
// ifnotfixed, ifmapped, ifnotmapped (the first cel of that name), ifmoved and ifnotmoved (from
// the place the state had before the run); an alarm's last one set, 0 or less stopping it, and
// only for an alarm that has an alarm(n) event.
//
// Marks played on every event and action of the program that the word table has it play, with
// arguments of the kinds the word takes. Adds notes for what it could not apply (a missing cel or
// object, division by zero...) and for each kind of action it leaves to the page. At most 100,000
// actions run in all and gosub nests 64 deep: a loop ends with a note, never a hang.
void RunStart(FkissProgram& program, DollState& state, std::vector<std::string>& notes);

// The words the runner has a handler for, sorted: those the word table has it play or keep the
// timer of, no more and no fewer.
std::vector<std::string_view> StartRunnerWords();
