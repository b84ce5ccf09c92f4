#pragma once

#include <string>
#include <vector>

// A doll as the gallery shows it: its name, its page (a path from the gallery, native
// separators), a small picture of its start (PNG bytes) and, for one of several in an archive,
// the configuration's name.
struct GalleryDoll {
    std::string name;
    std::string pagePath;
    std::string picturePng;
    std::string configuration;
};

// A doll that was not converted: its file name, the configuration's for one of several in an
// archive, and why, in English.
struct GalleryFailure {
    std::string name, configuration, reason;
};

// The gallery of dolls converted together: one self-contained HTML file, each doll's start
// picture (inline), name and configuration linking to its page; then the dolls that failed, each
// with its reason.
std::string GalleryPage(const std::vector<GalleryDoll>& dolls,
                        const std::vector<GalleryFailure>& failures = {});
