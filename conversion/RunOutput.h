#pragma once

#include "ImageFormat.h"
#include "doll/DollFiles.h"

#include "imaging/MemoryStream.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class BufferedTextFile;
class RgbaImage;
class SetPicture;
class TBmp256Image;

// Every file a run writes, and the guards on each: names stay inside the output folder and are
// reached from it, never through a link; no output replaces a file the run reads; an image
// leaves its disk a reserve. Images go into subfolders their names give, made on the way.
class RunOutput {
public:
    // directory: the output folder, opened here (its failure is reported when the report is
    // created, so an output that would replace an input is refused first) unless entered is.
    RunOutput(DollFiles& doll, std::string directory, ImageFormat format,
              const platform::Folder* entered = nullptr);

    // The run reads the doll's file for a name ("" for the configuration): no output replaces it.
    // Called before anything is written: the file is the one found now. what: the input as the
    // English message calls it, "%s" its path.
    void AddInput(const std::string& name, const std::string& what = "the input '%s'");
    // Writing over one of the run's inputs would destroy what it reads: refused before writing.
    void RefuseInput(const std::string& path);
    // The same for the file of that identity (none: nothing is there) under path.
    void RefuseInput(const std::string& path,
                     const std::optional<platform::FileIdentity>& identity);
    // A cel whose name leaves the output folder is refused before it is read.
    void RequireInside(const std::string& celFile) const;
    // A name in the output folder as messages show it.
    std::string PathOf(const std::string& name) const;

    // Creates the report in the output folder, or fails as opening the folder failed.
    void CreateReport(BufferedTextFile& report, const std::string& name) const;
    // The file name an image name (lowered, no extension) is written under.
    std::string ImageFileName(const std::string& imageName) const;
    // Writes an image under its name in the run's format; returns its file name. A 32-bit cel's
    // picture (truecolour) is what a PNG file holds; a BMP file holds the 8-bit image.
    std::string WriteImage(const TBmp256Image& image, const std::string& imageName,
                           const RgbaImage* truecolour = nullptr);
    ImageFormat Format() const { return format_; }
    // A file beside the report (the page), written whole.
    void WriteFile(const std::string& name, const std::string& text);
    // The set's picture, where the user asked for it (a path of its own, links allowed).
    void WriteSnapshot(const SetPicture& picture, const std::string& path);

private:
    // The folder of an image's name parts, made and entered from the output folder.
    const platform::Folder& ImageFolder(const std::vector<std::string>& parts,
                                        const std::string& imagePath);
    void RefuseToFillTheDisk(std::int64_t bytes);
    void WriteImageFile(const TBmp256Image& image, const RgbaImage* truecolour,
                        const std::string& fileName);

    DollFiles& doll_;
    std::string directory_;
    ImageFormat format_;
    platform::Folder folder_; // every file the run writes is reached from it
    int openError_ = 0;
    // The files it reads, by path with what the English message calls each, and the identities
    // of those asked so far (in that order): asked only once an output would replace a file,
    // which a run into an empty folder never does.
    std::vector<std::pair<std::string, std::string>> inputPaths_;
    std::vector<std::optional<platform::FileIdentity>> inputs_;
    std::set<std::string> imageNames_; // every image written, by its file name
    // The subfolder the last image went into, kept for the next, which is mostly in the same one.
    std::vector<std::string> imageFolderParts_;
    platform::Folder imageFolder_;
    std::vector<platform::FileIdentity> imageFolderChain_; // of each folder on its way
    MemoryStream encoded_;                                 // a PNG file before it is written
    // The output's file system as last asked, and what the run has written since.
    struct Space {
        std::uintmax_t available = 0, reserve = 0;
    };
    std::optional<Space> space_;
    std::uintmax_t writtenSince_ = 0;
};
