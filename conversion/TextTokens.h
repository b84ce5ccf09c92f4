#pragma once

#include <string>

// Blanks are the space and the TAB, nothing else.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// head := rest up to the first separator, rest := what follows it (the separator is dropped).
// Without a separator head takes the whole rest and rest becomes empty.
void SplitAt(std::string& rest, char separator, std::string& head);

// Takes the next blank-delimited token off the front of line. On an empty line the token keeps
// the value it had. Leading blanks are skipped and only the one blank that ended the token is
// removed, so a line ending in two or more blanks yields one further, empty token.
void NextToken(std::string& line, std::string& token);
