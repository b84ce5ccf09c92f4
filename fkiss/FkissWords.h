#pragma once

#include "FkissProgram.h"

#include <string>
#include <string_view>

// An event or action FKiSS defines, with the level that brought it in and what it takes.
struct FkissWord {
    std::string_view name; // lowered
    bool event = false;
    // 1 "1", 2 "1b", 3 "2", 4 "2.1", 5 "3"; 0: a later event, known only so that its actions are
    // not taken for the event before it.
    int level = 0;
    // One letter an argument: c a cel, o an object, b a cel or an object, n a number (or a
    // variable holding one), v a variable, s a quoted text, l a label; "*": not checked.
    std::string_view parameters;
};

// The word of that lowered name, or nullptr.
const FkissWord* FindFkissWord(std::string_view name);
// A level's name as FkissProgram::level gives it; "" for 0.
std::string FkissLevelName(int level);
// Whether a value is of a kind the parameter's letter takes ('*' takes any).
bool FkissFits(const FkissValue& value, char parameter);
