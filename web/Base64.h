#pragma once

#include <string>

// Bytes as base 64, for data inside a page.
std::string Base64(const std::string& bytes);
