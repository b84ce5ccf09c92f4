#include "ConvertConfiguration.h"

#include "BufferedTextFile.h"
#include "CelPaths.h"
#include "DollFiles.h"
#include "KissConfiguration.h"
#include "TextErrors.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/MemoryStream.h"
#include "imaging/PngImage.h"
#include "imaging/SetPicture.h"
#include "imaging/StreamErrors.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

class ENameOutsideOutput : public Exception {
public:
    explicit ENameOutsideOutput(const std::string& celFile)
        : Exception(FormatMessage("ｾﾙ %s は出力ﾌｫﾙﾀﾞの外を指すため変換できません", celFile)) {}
};

class EObjectOutOfRange : public Exception {
public:
    explicit EObjectOutOfRange(std::int32_t object)
        : Exception(FormatMessage("ｵﾌﾞｼﾞｪｸﾄ番号 %d は範囲外です (0 から 255)", IntToText(object))) {}
};

class EOutputFolderBusy : public Exception {
public:
    explicit EOutputFolderBusy(const std::string& folder)
        : Exception(FormatMessage("出力ﾌｫﾙﾀﾞ %s には他の変換が書き込み中です", folder)) {}
};

class EWouldReplaceInput : public Exception {
public:
    EWouldReplaceInput(const std::string& output, const std::string& input)
        : Exception("ﾌｧｲﾙ " + output + " は変換の入力ﾌｧｲﾙ " + input + " と同じため書き込めません") {}
};

class ESetOutOfRange : public Exception {
public:
    explicit ESetOutOfRange(std::int32_t set)
        : Exception(FormatMessage("ｾｯﾄ番号 %d は範囲外です (0 から 9)", IntToText(set))) {}
};

// Everything one run holds, released when the run ends on any path.
struct Run {
    TBmp256Image image;
    RunOptions options;
    MemoryStream png; // the image as a PNG file, when that is the format
    std::unique_ptr<SetPicture> picture; // the set drawn, when a snapshot is asked for
    MemoryStream celStream;
    MemoryStream paletteStream;
    std::unique_ptr<KissConfiguration> configuration = std::make_unique<KissConfiguration>();
    platform::Folder output; // every file the run writes is reached from it, never through a link
    BufferedTextFile report;
    // The subfolder the last image went into, kept for the next, which is mostly in the same one.
    std::vector<std::string> imageFolderParts;
    platform::Folder imageFolder;
    std::vector<platform::FileIdentity> imageFolderChain; // of each folder on its way
    std::unique_ptr<DollFiles> doll; // where the configuration, cels and palettes are read
    std::vector<std::pair<platform::FileIdentity, std::string>> inputs; // the files it reads
};

void AddInput(Run& run, const DollFiles::Input& input)
{
    if (input) run.inputs.push_back(*input);
}

// Writing over one of the run's inputs would destroy what it reads: refused before writing.
void RefuseInput(const Run& run, const std::string& path)
{
    const auto identity = platform::IdentityOf(path);
    for (const auto& [input, name] : run.inputs)
        if (identity && *identity == input) throw EWouldReplaceInput(path, name);
}

// An image must leave its file system a reserve (the smaller of 2% and 64 MiB): a small hostile
// doll asking for gigabytes of images must not fill the disk. Refused before a byte is written.
void RefuseToFillTheDisk(const std::string& outputDirectory, std::int64_t imageBytes)
{
    std::error_code error;
    const auto space = std::filesystem::space(outputDirectory, error);
    const std::uintmax_t reserve = std::min<std::uintmax_t>(space.capacity / 50, 64u << 20);
    if (!error && space.available < reserve + static_cast<std::uintmax_t>(imageBytes))
        throw EStreamWriteError();
}

// An index without a "%" line names the configuration's folder itself, which fails to open.
std::string PaletteNameOf(const KissConfiguration& c, const TKissCel& cel)
{
    const bool listed = cel.paletteIndex < KissConfiguration::kMaxPalettes;
    return listed ? c.paletteFiles[cel.paletteIndex] : "";
}

std::string JoinOutput(const std::string& outputDirectory, const std::string& name)
{
    return outputDirectory + platform::kSeparator + name;
}

void WritePiece(BufferedTextFile& report, const std::string& text)
{
    report.WriteText(text);
    report.Flush();
}

void WriteReportLine(BufferedTextFile& report, int index, const std::string& imageName,
                     const TKissCel& cel, const KissPosition& position)
{
    WritePiece(report, "<PARAM NAME=");
    WritePiece(report, "\"image" + IntToText(index) + "\" ");
    WritePiece(report, "VALUE=");
    WritePiece(report, "\"" + imageName + ",");
    WritePiece(report, IntToText(cel.objectNumber) + ",");
    WritePiece(report, IntToText(cel.fixValue) + ",");
    WritePiece(report, IntToText(position.x) + ",");
    WritePiece(report, IntToText(position.y));
    WritePiece(report, "\">");
    report.WriteLineEnd();
}

// The folder of an image's name parts, made and entered from the output folder, never through a
// link: one in a folder's place fails with the image's creation message.
const platform::Folder& ImageFolder(Run& run, const std::vector<std::string>& parts,
                                    const std::string& imagePath)
{
    std::vector<std::string> folders(parts.begin(), parts.end() - 1);
    std::erase_if(folders, [](const std::string& part) { return part.empty() || part == "."; });
    if (folders.empty()) return run.output;
    if (run.imageFolder.IsOpen() && folders == run.imageFolderParts) {
        // Nothing was made on the way this time: only the last folder gains a name.
        if (run.imageFolderChain.size() > 1)
            run.imageFolderChain.erase(run.imageFolderChain.begin(),
                                       run.imageFolderChain.end() - 1);
        return run.imageFolder;
    }
    run.imageFolder = platform::Folder();
    run.imageFolderChain.clear();
    platform::Folder folder;
    for (const std::string& part : folders) {
        folder = (folder.IsOpen() ? folder : run.output).Enter(part);
        if (!folder.IsOpen()) throw EFileCreateError(imagePath);
        if (const auto identity = folder.Identity()) run.imageFolderChain.push_back(*identity);
    }
    run.imageFolder = std::move(folder);
    run.imageFolderParts = std::move(folders);
    return run.imageFolder;
}

const std::vector<platform::FileIdentity> kNoChain;

// The image's file name for a cel name: lowered, with the system's separators, and on POSIX a
// Shift-JIS name in UTF-8, as file names are there.
std::string ImageFileName(const std::string& imageName, ImageFormat format)
{
    const std::string native =
        NativeName(imageName) + (format == ImageFormat::Png ? ".png" : ".bmp");
#ifdef _WIN32
    return native;
#else
    return platform::ShiftJisToUtf8(native).value_or(native);
#endif
}

void ConvertCel(Run& run, int index, const std::string& outputDirectory, const KissSet& set)
{
    const KissConfiguration& c = *run.configuration;
    const TKissCel& cel = c.cels[index];
    if (!StaysInside(cel.fileName)) throw ENameOutsideOutput(cel.fileName);
    if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
        throw EObjectOutOfRange(cel.objectNumber);

    run.doll->Load(cel.fileName, run.celStream);
    run.doll->Load(PaletteNameOf(c, cel), run.paletteStream);

    DecodeCel(run.image, run.celStream, run.paletteStream,
              static_cast<std::uint8_t>(16 * set.paletteGroup));

    const std::string imageName = NameLowerCase(StripExtension(cel.fileName));
    const std::string nativeImage = ImageFileName(imageName, run.options.format);
    const KissPosition& at = set.positions[cel.objectNumber];
    if (run.picture && (at.x != -1 || at.y != -1)) run.picture->DrawBehind(run.image, at.x, at.y);
    const std::string imagePath = JoinOutput(outputDirectory, nativeImage);
    const std::vector<std::string> parts = PathComponents(nativeImage);
    const platform::Folder& folder = ImageFolder(run, parts, imagePath);
    RefuseInput(run, imagePath);
    if (run.options.format == ImageFormat::Png) {
        EncodeIndexedPng(run.image, run.png);
        RefuseToFillTheDisk(outputDirectory, run.png.Size());
        run.png.SaveToFile(folder, parts.back(), imagePath);
    } else {
        RefuseToFillTheDisk(outputDirectory, run.image.FileSize());
        run.image.SaveToFile(folder, parts.back(), imagePath);
    }
    run.doll->Written(nativeImage, &folder == &run.output ? kNoChain : run.imageFolderChain);

    WriteReportLine(run.report, index, imageName, cel, set.positions[cel.objectNumber]);
}

void Convert(Run& run, const std::string& outputDirectory, RunControls& controls)
{
    run.output = platform::Folder::Open(outputDirectory);
    const int outputError = platform::LastError();
    const std::string configurationPath = run.doll->ConfigurationPath();
    const std::string reportPath = ReportPathFor(configurationPath, outputDirectory);
    AddInput(run, run.doll->InputFile(""));
    RefuseInput(run, reportPath);
    if (!run.output.IsOpen()) throw EInOutError::FromSystemError(outputError, reportPath);
    run.report.CreateReplacing(run.output, ReportNameFor(configurationPath), reportPath);
    {
        BufferedTextFile configurationFile;
        run.doll->OpenConfiguration(configurationFile);
        ReadConfiguration(configurationFile, *run.configuration);
        configurationFile.Close();
    }

    const KissConfiguration& c = *run.configuration;
    if (c.celCount > 0) {
        controls.ShowPaletteCount(IntToText(c.paletteCount));
        controls.ShowCelCount(IntToText(c.celCount));
        const std::int32_t setNumber = StrictTextToInt(controls.SetSelectorText());
        if (setNumber < 0 || setNumber > 9) throw ESetOutOfRange(setNumber);

        // A set without a "$" line has palette group 0 and no positions.
        static const KissSet kEmptySet;
        const KissSet& set = setNumber < c.setCount ? c.sets[setNumber] : kEmptySet;
        for (int j = 0; j < c.celCount; ++j) { // every file the set reads, before any is written
            const TKissCel& cel = c.cels[j];
            if (!cel.inSet[setNumber] || !StaysInside(cel.fileName)) continue;
            AddInput(run, run.doll->InputFile(cel.fileName));
            AddInput(run, run.doll->InputFile(PaletteNameOf(c, cel)));
        }
        if (!run.options.snapshotPath
                 .empty()) { // on colour 0 of the first palette in the set's group
            TBmp256Image::Colour background;
            if (c.paletteCount > 0) {
                run.doll->Load(c.paletteFiles[0], run.paletteStream);
                background = PaletteColour(run.paletteStream, set.paletteGroup, 0);
            }
            run.picture = std::make_unique<SetPicture>(c.playWidth, c.playHeight, background);
        }
        for (int j = 0; j < c.celCount; ++j) {
            if (c.cels[j].inSet[setNumber]) ConvertCel(run, j, outputDirectory, set);
        }
        if (run.picture) {
            RefuseInput(run, run.options.snapshotPath);
            run.picture->EncodePng(run.png);
            run.png.SaveToFile(run.options.snapshotPath);
        }
    }
    run.report.Close();
}

} // namespace

std::string ReportNameFor(const std::string& configurationPath)
{
    return BaseName(StripExtension(configurationPath)) + ".txt";
}

std::string ReportPathFor(const std::string& configurationPath, const std::string& outputDirectory)
{
    return JoinOutput(outputDirectory, ReportNameFor(configurationPath));
}

void ConvertConfiguration(const std::string& configurationPath, const std::string& outputDirectory,
                          RunControls& controls)
{
    try {
        // An archive is read and checked whole here, before anything is written.
        ConvertDoll(OpenDoll(configurationPath, outputDirectory), outputDirectory, controls);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}

void ConvertDoll(std::unique_ptr<DollFiles> doll, const std::string& outputDirectory,
                 RunControls& controls, const RunOptions& options)
{
    try {
        // Two runs into one folder would mix their reports and images: the second stops at once.
        const platform::FolderLock lock(outputDirectory);
        if (lock.Busy()) throw EOutputFolderBusy(outputDirectory);
        std::string reportPath;
        {
            Run run;
            try {
                run.doll = std::move(doll);
                run.options = options;
                run.doll->RequireOneConfiguration(); // before anything is written
                reportPath = ReportPathFor(run.doll->ConfigurationPath(), outputDirectory);
                Convert(run, outputDirectory, controls);
            } catch (...) {
                // Keep the lines written so far; the original failure is the one to report.
                try {
                    run.report.Close();
                } catch (const Exception&) {
                }
                throw;
            }
        }
        controls.StartEditor(reportPath);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}
