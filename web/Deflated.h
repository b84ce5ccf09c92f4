#pragma once

#include <string>

// Bytes compressed as a zlib stream, as the page's inflater reads them. Raises the memory-growth
// error when memory cannot be had.
std::string Deflated(const std::string& bytes);
