#include "RunOutput.h"

#include "BufferedTextFile.h"
#include "TextErrors.h"
#include "TextPaths.h"
#include "doll/CelPaths.h"

#include "imaging/Bmp256Image.h"
#include "imaging/PngImage.h"
#include "imaging/SetPicture.h"
#include "imaging/StreamErrors.h"
#include "platform/Exception.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <filesystem>

namespace {

class ENameOutsideOutput : public Exception {
public:
    explicit ENameOutsideOutput(const std::string& celFile)
        : Exception(FormatMessage("ｾﾙ %s は出力ﾌｫﾙﾀﾞの外を指すため変換できません", celFile),
                    "its name leads outside the output folder")
    {
    }
};

class EWouldReplaceInput : public Exception {
public:
    EWouldReplaceInput(const std::string& output, const std::string& input, const std::string& what)
        : Exception("ﾌｧｲﾙ " + output + " は変換の入力ﾌｧｲﾙ " + input + " と同じため書き込めません",
                    "it is " + FormatMessage(what, input))
    {
    }
};

const std::vector<platform::FileIdentity> kNoChain;

} // namespace

RunOutput::RunOutput(DollFiles& doll, std::string directory, ImageFormat format,
                     const platform::Folder* entered)
    : doll_(doll), directory_(std::move(directory)), format_(format),
      folder_(entered ? *entered : platform::Folder::Open(directory_)),
      openError_(platform::LastError())
{
}

void RunOutput::AddInput(const std::string& name, const std::string& what)
{
    const std::optional<std::string> path = doll_.InputPath(name);
    if (path &&
        std::none_of(inputPaths_.begin(), inputPaths_.end(), [&](const auto& in) { return in.first == *path; }))
        inputPaths_.emplace_back(*path, what);
}

void RunOutput::RefuseInput(const std::string& path)
{
    RefuseInput(path, platform::IdentityOf(path));
}

void RunOutput::RefuseInput(const std::string& path,
                            const std::optional<platform::FileIdentity>& identity)
{
    if (!identity) return; // nothing there to replace
    // An input keeps its file until an output would replace it, and none was replaced so far:
    // each is asked for its identity once, when the first file to replace is met.
    for (std::size_t i = inputs_.size(); i < inputPaths_.size(); ++i)
        inputs_.push_back(platform::IdentityOf(inputPaths_[i].first));
    for (std::size_t i = 0; i < inputs_.size(); ++i)
        if (inputs_[i] && *inputs_[i] == *identity)
            throw EWouldReplaceInput(path, inputPaths_[i].first, inputPaths_[i].second);
}

void RunOutput::RequireInside(const std::string& celFile) const
{
    if (!StaysInside(celFile)) throw ENameOutsideOutput(celFile);
}

std::string RunOutput::PathOf(const std::string& name) const
{
    return directory_ + platform::kSeparator + name;
}

void RunOutput::CreateReport(BufferedTextFile& report, const std::string& name) const
{
    if (!folder_.IsOpen()) throw EInOutError::FromSystemError(openError_, PathOf(name));
    report.CreateReplacing(folder_, name, PathOf(name));
}

// Lowered, with the system's separators, and named as the system's files are.
std::string RunOutput::ImageFileName(const std::string& imageName) const
{
    return platform::FileNameFromShiftJis(NativeName(imageName) +
                                          (format_ == ImageFormat::Png ? ".png" : ".bmp"));
}

// A small hostile doll asking for gigabytes of images must not fill the disk: an image leaves
// its file system the smaller of 2% and 64 MiB, refused before a byte is written. The system is
// asked once a run, and again only when the space it gave, less what the run has written since,
// comes within another reserve of the limit.
void RunOutput::RefuseToFillTheDisk(std::int64_t bytes)
{
    const auto size = static_cast<std::uintmax_t>(bytes);
    if (!space_ || space_->available < 2 * space_->reserve + writtenSince_ + size) {
        std::error_code error;
        const auto space = std::filesystem::space(directory_, error);
        writtenSince_ = 0;
        space_.reset(); // a system that cannot tell is asked again the next time
        if (!error) {
            space_ =
                Space{space.available, std::min<std::uintmax_t>(space.capacity / 50, 64u << 20)};
            if (space.available < space_->reserve + size)
                throw EStreamWriteError("the disk is nearly full");
        }
    }
    writtenSince_ += size;
}

// Never through a link: one in a folder's place fails with the image's creation message.
const platform::Folder& RunOutput::ImageFolder(const std::vector<std::string>& parts,
                                               const std::string& imagePath)
{
    std::vector<std::string> folders(parts.begin(), parts.end() - 1);
    std::erase_if(folders, [](const std::string& part) { return part.empty() || part == "."; });
    if (folders.empty()) return folder_;
    if (imageFolder_.IsOpen() && folders == imageFolderParts_) {
        // Nothing was made on the way this time: only the last folder gains a name.
        if (imageFolderChain_.size() > 1)
            imageFolderChain_.erase(imageFolderChain_.begin(), imageFolderChain_.end() - 1);
        return imageFolder_;
    }
    imageFolder_ = platform::Folder();
    imageFolderChain_.clear();
    platform::Folder folder;
    for (const std::string& part : folders) {
        folder = (folder.IsOpen() ? folder : folder_).Enter(part);
        if (!folder.IsOpen())
            throw EFileCreateError(imagePath,
                                   "its folder '" + part + "' cannot be made: " +
                                       platform::ErrorText(platform::LastError(), imagePath));
        if (const auto identity = folder.Identity()) imageFolderChain_.push_back(*identity);
    }
    imageFolder_ = std::move(folder);
    imageFolderParts_ = std::move(folders);
    return imageFolder_;
}

std::string RunOutput::WriteImage(const TBmp256Image& image, const std::string& imageName,
                                  const RgbaImage* truecolour)
{
    const std::string fileName = ImageFileName(imageName);
    const std::string imagePath = PathOf(fileName);
    Doing("cannot write the image '" + imagePath + "'",
          [&] { WriteImageFile(image, truecolour, fileName); });
    return fileName;
}

void RunOutput::WriteImageFile(const TBmp256Image& image, const RgbaImage* truecolour,
                               const std::string& fileName)
{
    const std::string imagePath = PathOf(fileName);
    const std::vector<std::string> parts = FileNameComponents(fileName);
    const platform::Folder& folder = ImageFolder(parts, imagePath);
    // Looked at once: what the name holds is neither an input nor a folder or FIFO to replace.
    const platform::FinalName looked = folder.LookAt(parts.back());
    RefuseInput(imagePath, looked.identity);
    if (format_ == ImageFormat::Png) {
        if (truecolour)
            EncodeRgbaPng(*truecolour, encoded_);
        else
            EncodeIndexedPng(image, encoded_);
        RefuseToFillTheDisk(encoded_.Size());
        encoded_.SaveToFile(folder, parts.back(), imagePath, &looked);
    } else {
        RefuseToFillTheDisk(image.FileSize());
        image.SaveToFile(folder, parts.back(), imagePath, &looked);
    }
    // A palette named like this image is now found as the image: the doll's listings learn it.
    doll_.Written(fileName, &folder == &folder_ ? kNoChain : imageFolderChain_);
    imageNames_.insert(fileName);
}

void RunOutput::WriteFile(const std::string& name, const std::string& text)
{
    MemoryStream file;
    file.Write(text.data(), text.size());
    RefuseToFillTheDisk(file.Size());
    file.SaveToFile(folder_, name, PathOf(name));
}

void RunOutput::WriteSnapshot(const SetPicture& picture, const std::string& path)
{
    Doing("cannot write the snapshot '" + path + "'", [&] {
        RefuseInput(path);
        picture.EncodePng(encoded_);
        encoded_.SaveToFile(path);
    });
}
