#pragma once

#include <string>

// How a text's bytes become the characters a page's script sees: each byte one character, so that
// a doll's names compare as its configuration spells them whatever their code; or each character
// of well-formed UTF-8 one character, for texts the page shows.
enum class JsonChars { Bytes, Utf8 };

// A text as a JSON string the page's script holds inline, quotes included: every character past
// ASCII and every '<', '>' and '&' as \uXXXX (two for one past U+FFFF), so that nothing a doll
// names can end the script element.
std::string JsonString(const std::string& text, JsonChars chars = JsonChars::Bytes);
