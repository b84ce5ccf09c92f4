#pragma once

#include <string>
#include <vector>

// A doll as the gallery shows it: its name, its page (a path from the gallery, native
// separators) and a small picture of its start (PNG bytes).
struct GalleryDoll {
    std::string name;
    std::string pagePath;
    std::string picturePng;
};

// The gallery of dolls converted together: one self-contained HTML file, each doll's start
// picture (inline) and name linking to its page.
std::string GalleryPage(const std::vector<GalleryDoll>& dolls);
