#pragma once

#include "fkiss/FkissProgram.h"

#include <string>

// The program as the page's player reads it: a list of events, each
// [name, [arguments], line, [[action, [arguments], line], ...]], an argument [kind, value] with
// kind "n" a number, "c" a cel (its name), "o" an object (its number), "v" a variable (its
// name), "l" a label (its number or name), "s" a text.
std::string ProgramJson(const FkissProgram& program);

// The words the page's player plays, as the word table has them, with what each takes:
// {"events": {name: parameters, ...}, "actions": {...}}, the parameters one letter an argument.
std::string PageWordsJson();
