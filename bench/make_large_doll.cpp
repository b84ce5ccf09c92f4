// Draws the large benchmark doll into a folder.
// Usage: make_large_doll OUTPUT_DIR [CELS [WIDTH HEIGHT]]   (defaults: 256 cels of 640x480)
#include "LargeDoll.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

bool ParseCount(const char* text, int low, int high, int& value)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int cels = 256, width = 640, height = 480;
    const bool ok =
        (argc == 2 || argc == 3 || argc == 5) && (argc < 3 || ParseCount(argv[2], 1, 256, cels)) &&
        (argc < 5 || (ParseCount(argv[3], 1, 4096, width) && ParseCount(argv[4], 1, 4096, height)));
    if (!ok) {
        std::fprintf(stderr, "usage: make_large_doll OUTPUT_DIR [CELS (1-256) [WIDTH HEIGHT]]\n");
        return 2;
    }
    try {
        largedoll::Write(argv[1], cels, width, height);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_large_doll: %s\n", e.what());
        return 1;
    }
    return 0;
}
