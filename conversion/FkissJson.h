#pragma once

#include "FkissProgram.h"

#include <string>

// A program and the texts of a doll as JSON the page's script holds inline: every byte past ASCII
// and every '<', '>' and '&' is written as \u00XX, so nothing a doll names can end the script,
// and the script sees each byte as one character (names compare as the configuration spells them).

// A text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

// The program as the page's player reads it: a list of events, each
// [name, [arguments], line, [[action, [arguments], line], ...]], an argument [kind, value] with
// kind "n" a number, "c" a cel (its name), "o" an object (its number), "v" a variable (its
// name), "l" a label (its number or name), "s" a text.
std::string ProgramJson(const FkissProgram& program);
