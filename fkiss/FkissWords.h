#pragma once

#include "FkissProgram.h"

#include <span>
#include <string>
#include <string_view>

// An event or action FKiSS defines, with the level that brought it in, what it takes and who plays
// it: the one list of the words, which the reader, the start runner, --check and the page's player
// (given the words it plays in the page's data) all go by.
struct FkissWord {
    // What the start picture's runner does with the word: plays it, leaves it to the page, or
    // leaves it to the page but keeps the timer it sets (the ifmapped family, timer, randomtimer).
    enum class Start { Left, Plays, KeepsTimer };

    std::string_view name; // lowered
    bool event = false;
    // 1 "1", 2 "1b", 3 "2", 4 "2.1", 5 "3"; 0: a later event, known only so that its actions are
    // not taken for the event before it.
    int level = 0;
    // One letter an argument: c a cel, o an object, b a cel or an object, n a number (or a
    // variable holding one), v a variable, s a quoted text, l a label; "*": not checked.
    std::string_view parameters;
    Start start = Start::Left;
    bool page = false; // the page's player plays it
};

// Every word, sorted by name.
std::span<const FkissWord> FkissWords();
// The word of that lowered name, or nullptr.
const FkissWord* FindFkissWord(std::string_view name);
// A level's name as FkissProgram::level gives it; "" for 0.
std::string FkissLevelName(int level);
// Whether a value is of a kind the parameter's letter takes ('*' takes any).
bool FkissFits(const FkissValue& value, char parameter);
