#pragma once

#include "ImageFormat.h"
#include "RunControls.h"

#include <functional>
#include <memory>
#include <string>

class DollFiles;
class SetPicture;
struct RunDoll;
namespace platform {
class Folder;
}

// The conversion run: reads the configuration, converts every cel of the chosen set into a BMP
// file in the output directory, writes the report of applet parameter lines and starts the
// editor on it. The first failure ends the run with its exception; what was written before it
// stays, nothing outside the output directory is written.
// configurationPath: a .cnf file, an archive (.lzh, .zip) holding one, or ARCHIVE/MEMBER.
void ConvertConfiguration(const std::string& configurationPath, const std::string& outputDirectory,
                          RunControls& controls);
struct RunOptions {
    ImageFormat format = ImageFormat::Bmp;
    // When not empty: where the set is drawn as one picture (a PNG file), as a viewer shows it at
    // the start, once every image is written.
    std::string snapshotPath;
    // When set: the run also writes, beside the report and named like it, the page this makes
    // of the doll (NAME.html), once the chosen set's images are written; the images are written
    // in the format asked, or not at all for ImageFormat::None.
    std::function<std::string(const RunDoll&)> page;
    // Whether the page shows the author's texts beside the doll ("About this doll").
    bool texts = true;
    // When set: given the set drawn as one picture, as for the snapshot, once its images are
    // written.
    std::function<void(const SetPicture&)> startPicture;
    // When set: the output folder, already open (entered without following a link), written
    // through rather than opened by its path.
    const platform::Folder* outputFolder = nullptr;
};
// The same for a doll already opened.
void ConvertDoll(std::unique_ptr<DollFiles> doll, const std::string& outputDirectory,
                 RunControls& controls, const RunOptions& options = {});

// The report's file name for a configuration: its base name and ".txt".
std::string ReportNameFor(const std::string& configurationPath);
// The page's file name for a configuration: its base name and ".html".
std::string PageNameFor(const std::string& configurationPath);
// The report's path for a configuration: output directory, separator, configuration base name,
// ".txt".
std::string ReportPathFor(const std::string& configurationPath, const std::string& outputDirectory);
