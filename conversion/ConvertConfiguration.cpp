#include "ConvertConfiguration.h"

#include "BufferedTextFile.h"
#include "CelPaths.h"
#include "DollFiles.h"
#include "DollPage.h"
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
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <tuple>
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
    std::set<std::string> imageNames; // every image written, by its file name
    std::unique_ptr<DollPage> page;   // the doll as the page shows it, when a page is asked for
    // The page's picture of each image name, palette and group written so far.
    std::map<std::tuple<std::string, int, int>, int> pictureOf;
    MemoryStream firstPalette; // read once, for the colours of the play area and its border
    bool firstPaletteRead = false;
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

// An image's file name as a link from a page beside it: '/' between folders, UTF-8, and every
// byte but letters, digits and "-._~/" escaped, so no name can end the page's text.
std::string PageUrl(const std::string& nativeImage)
{
#ifdef _WIN32
    std::string name = platform::ShiftJisToUtf8(nativeImage).value_or(nativeImage);
    std::replace(name.begin(), name.end(), '\\', '/');
#else
    const std::string& name = nativeImage;
#endif
    std::string url;
    for (const unsigned char c : name) {
        if ((std::isalnum(c) && c < 0x80) || (c != 0 && std::strchr("-._~/", c))) {
            url += static_cast<char>(c);
        } else {
            const char* const digits = "0123456789ABCDEF";
            url += std::string("%") + digits[c >> 4] + digits[c & 15];
        }
    }
    return url;
}

// A cel's image name: its file name lowered, without the extension.
std::string ImageNameOf(const TKissCel& cel)
{
    return NameLowerCase(StripExtension(cel.fileName));
}

std::tuple<std::string, int, int> PictureKey(const TKissCel& cel, int group)
{
    return {ImageNameOf(cel), cel.paletteIndex, group};
}

int AddPagePicture(Run& run, const std::tuple<std::string, int, int>& key,
                   const std::string& nativeImage)
{
    const int index = static_cast<int>(run.page->pictures.size());
    run.page->pictures.push_back({PageUrl(nativeImage), OpaqueRuns(run.image)});
    run.pictureOf[key] = index;
    return index;
}

// Decodes a cel in a palette group and writes it as the image imageName (lowered, no extension);
// the decoded image stays in run.image. Returns the image's file name in the output folder.
std::string WriteImage(Run& run, const TKissCel& cel, int group, const std::string& imageName,
                       const std::string& outputDirectory)
{
    if (!StaysInside(cel.fileName)) throw ENameOutsideOutput(cel.fileName);
    if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
        throw EObjectOutOfRange(cel.objectNumber);

    run.doll->Load(cel.fileName, run.celStream);
    run.doll->Load(PaletteNameOf(*run.configuration, cel), run.paletteStream);

    DecodeCel(run.image, run.celStream, run.paletteStream, static_cast<std::uint8_t>(16 * group));

    const std::string nativeImage = ImageFileName(imageName, run.options.format);
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
    run.imageNames.insert(nativeImage);
    return nativeImage;
}

// The page's picture of a cel in a group: the one written already, else a new image whose name
// adds the group, kept apart from every name the run has written.
int PagePicture(Run& run, const TKissCel& cel, int group, const std::string& outputDirectory)
{
    const auto key = PictureKey(cel, group);
    const std::string& imageName = std::get<0>(key);
    if (const auto found = run.pictureOf.find(key); found != run.pictureOf.end())
        return found->second;
    std::string name = imageName + ".g" + IntToText(group);
    for (int n = 2; run.imageNames.contains(ImageFileName(name, run.options.format)); ++n)
        name = imageName + ".g" + IntToText(group) + "." + IntToText(n);
    return AddPagePicture(run, key, WriteImage(run, cel, group, name, outputDirectory));
}

void ConvertCel(Run& run, int index, const std::string& outputDirectory, const KissSet& set)
{
    const TKissCel& cel = run.configuration->cels[index];
    const std::string imageName = ImageNameOf(cel);
    const std::string nativeImage =
        WriteImage(run, cel, set.paletteGroup, imageName, outputDirectory);
    const KissPosition& at = set.positions[cel.objectNumber];
    if (run.picture && (at.x != -1 || at.y != -1)) run.picture->DrawBehind(run.image, at.x, at.y);
    if (run.page) AddPagePicture(run, PictureKey(cel, set.paletteGroup), nativeImage);
    WriteReportLine(run.report, index, imageName, cel, at);
}

// Colour `index` of the first palette in a group: black without a palette line.
TBmp256Image::Colour FirstPaletteColour(Run& run, int group, int index)
{
    const KissConfiguration& c = *run.configuration;
    if (c.paletteCount == 0) return {};
    if (!run.firstPaletteRead) run.doll->Load(c.paletteFiles[0], run.firstPalette);
    run.firstPaletteRead = true;
    return PaletteColour(run.firstPalette, group, index);
}

// A set as the page shows it, with a picture of each cel it places, written when it is new.
DollPage::Set PageSet(Run& run, int number, const KissSet& set, const std::string& outputDirectory)
{
    const KissConfiguration& c = *run.configuration;
    DollPage::Set shown;
    shown.number = number;
    shown.background = FirstPaletteColour(run, set.paletteGroup, 0);
    shown.border = FirstPaletteColour(run, set.paletteGroup, c.borderColour);
    for (std::size_t object = 0; object < set.positions.size(); ++object)
        shown.x[object] = set.positions[object].x, shown.y[object] = set.positions[object].y;
    for (int j = 0; j < c.celCount; ++j) {
        const TKissCel& cel = c.cels[j];
        if (!cel.inSet[number]) continue;
        if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
            throw EObjectOutOfRange(cel.objectNumber);
        const KissPosition& at = set.positions[cel.objectNumber];
        if (at.x == -1 && at.y == -1) continue;
        shown.cels.push_back(
            {PagePicture(run, cel, set.paletteGroup, outputDirectory), cel.objectNumber});
    }
    return shown;
}

// The page beside the report, once every picture it shows is written.
void WritePage(Run& run, const std::string& configurationPath, const std::string& outputDirectory)
{
    const KissConfiguration& c = *run.configuration;
    DollPage& page = *run.page;
    page.title = BaseName(StripExtension(configurationPath));
    page.width = c.playWidth, page.height = c.playHeight;
    for (int j = 0; j < c.celCount; ++j) { // an object's fix is the highest of its cels'
        const TKissCel& cel = c.cels[j];
        if (cel.objectNumber >= 0 && cel.objectNumber < KissConfiguration::kMaxPositions)
            page.fix[cel.objectNumber] = std::max(page.fix[cel.objectNumber], cel.fixValue);
    }
    const std::string text = run.options.page(page);
    const std::string name = PageNameFor(configurationPath);
    const std::string path = JoinOutput(outputDirectory, name);
    MemoryStream html;
    html.Write(text.data(), text.size());
    RefuseToFillTheDisk(outputDirectory, html.Size());
    html.SaveToFile(run.output, name, path);
}

void Convert(Run& run, const std::string& outputDirectory, RunControls& controls)
{
    run.output = platform::Folder::Open(outputDirectory);
    const int outputError = platform::LastError();
    const std::string configurationPath = run.doll->ConfigurationPath();
    const std::string reportPath = ReportPathFor(configurationPath, outputDirectory);
    AddInput(run, run.doll->InputFile(""));
    RefuseInput(run, reportPath);
    if (run.page) RefuseInput(run, JoinOutput(outputDirectory, PageNameFor(configurationPath)));
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
        // The sets the page shows: each the configuration defines, and the chosen one. A cel line
        // names sets 0 to 9 only; "$" lines past the tenth are never shown.
        std::vector<int> pageSets;
        const int shownSets = static_cast<int>(TKissCel{}.inSet.size());
        for (int number = 0; run.page && number < shownSets; ++number)
            if (number < c.setCount || number == setNumber) pageSets.push_back(number);
        for (int j = 0; j < c.celCount; ++j) { // every file the run reads, before any is written
            const TKissCel& cel = c.cels[j];
            const bool read =
                cel.inSet[setNumber] ||
                std::any_of(pageSets.begin(), pageSets.end(), [&](int n) { return cel.inSet[n]; });
            if (!read || !StaysInside(cel.fileName)) continue;
            AddInput(run, run.doll->InputFile(cel.fileName));
            AddInput(run, run.doll->InputFile(PaletteNameOf(c, cel)));
        }
        if (!run.options.snapshotPath.empty()) // on colour 0 of the first palette in the group
            run.picture = std::make_unique<SetPicture>(
                c.playWidth, c.playHeight, FirstPaletteColour(run, set.paletteGroup, 0));
        for (int j = 0; j < c.celCount; ++j) {
            if (c.cels[j].inSet[setNumber]) ConvertCel(run, j, outputDirectory, set);
        }
        for (const int number : pageSets) {
            if (number == setNumber) run.page->startSet = static_cast<int>(run.page->sets.size());
            run.page->sets.push_back(PageSet(
                run, number, number < c.setCount ? c.sets[number] : kEmptySet, outputDirectory));
        }
        if (run.picture) {
            RefuseInput(run, run.options.snapshotPath);
            run.picture->EncodePng(run.png);
            run.png.SaveToFile(run.options.snapshotPath);
        }
    }
    if (run.page) WritePage(run, configurationPath, outputDirectory);
    run.report.Close();
}

} // namespace

std::string ReportNameFor(const std::string& configurationPath)
{
    return BaseName(StripExtension(configurationPath)) + ".txt";
}

std::string PageNameFor(const std::string& configurationPath)
{
    return BaseName(StripExtension(configurationPath)) + ".html";
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
                if (options.page) { // its pictures are PNG files: a browser shows colour 0 clear
                    run.options.format = ImageFormat::Png;
                    run.page = std::make_unique<DollPage>();
                }
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
