#include "ConvertConfiguration.h"

#include "BufferedTextFile.h"
#include "CelPaths.h"
#include "DollFiles.h"
#include "DollReadmes.h"
#include "DollSounds.h"
#include "KissConfiguration.h"
#include "PageModel.h"
#include "RunOutput.h"
#include "StartState.h"
#include "TextErrors.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/ImageFileKind.h"
#include "imaging/KissHeaders.h"
#include "imaging/MemoryStream.h"
#include "imaging/RgbaImage.h"
#include "imaging/SetPicture.h"
#include "imaging/TruecolourCel.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

class EOutputFolderBusy : public Exception {
public:
    explicit EOutputFolderBusy(const std::string& folder)
        : Exception(FormatMessage("出力ﾌｫﾙﾀﾞ %s には他の変換が書き込み中です", folder),
                    "another run is writing into the output folder '" + folder + "'")
    {
    }
};

class ESetOutOfRange : public Exception {
public:
    explicit ESetOutOfRange(std::int32_t set)
        : Exception(FormatMessage("ｾｯﾄ番号 %d は範囲外です (0 から 9)", IntToText(set)),
                    "set " + IntToText(set) + " is out of range (0 to 9)")
    {
    }
};

class ECelIsAnImageFile : public Exception {
public:
    ECelIsAnImageFile(const std::string& name, const std::string& kind)
        : Exception(FormatMessage("ｾﾙ %s は " + kind + " 画像ﾌｧｲﾙです", name),
                    "'" + name + "' is a " + kind + " image, not a KiSS cel")
    {
    }
};

// A set without a "$" line has palette group 0 and no positions.
const KissSet kEmptySet;

// An index without a "%" line names the configuration's folder itself, which fails to open.
std::string PaletteNameOf(const KissConfiguration& c, const TKissCel& cel)
{
    const bool listed = cel.paletteIndex < KissConfiguration::kMaxPalettes;
    return listed ? c.paletteFiles[cel.paletteIndex] : "";
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

// The doll's cels decoded one at a time, each in a palette group, into the one image they share.
// As viewers read a doll, 12-bit colours are scaled as they show them, and a 32-bit cel is also
// decoded with its alpha and needs no palette line; as designed it is an image of colour 0.
class CelDecoder {
public:
    struct Decoded {
        const TBmp256Image& image;
        const RgbaImage* truecolour; // the 32-bit cel's picture, as viewers read a doll
        bool nibbles;                // a 4-bit cel's pixels, which a palette group moves
    };

    CelDecoder(DollFiles& doll, const KissConfiguration& c, const RunOutput& output)
        : doll_(doll), configuration_(c), output_(output)
    {
    }
    Decoded Decode(const TKissCel& cel, int group)
    {
        const std::string& name = cel.fileName;
        return Doing("cannot convert the cel '" + name + "'", [&]() -> Decoded {
            output_.RequireInside(name);
            ObjectOf(cel, configuration_);
            Doing("cannot open the cel '" + name + "'", [&] { doll_.Load(name, cel_); });
            if (const char* kind = ImageFileKind(cel_)) throw ECelIsAnImageFile(name, kind);
            const bool viewer = configuration_.reading == Reading::Viewer;
            const bool truecolour = IsTruecolourCel(cel_);
            if (truecolour && !std::count(truecolourCels_.begin(), truecolourCels_.end(), name))
                truecolourCels_.push_back(name);
            const std::string palette = PaletteNameOf(configuration_, cel);
            if (truecolour && viewer && palette.empty())
                palette_.SetSize(0);
            else
                Doing(palette.empty() ? "cannot open the palette of the cel '" + name +
                                            "' (no palette line has its number)"
                                      : "cannot open the palette '" + palette + "'",
                      [&] { doll_.Load(palette, palette_); });
            DecodeCel(image_, cel_, palette_, static_cast<std::uint8_t>(16 * group),
                      viewer ? ColourScale::Viewer : ColourScale::Designed);
            cel_.Seek(0);
            const bool nibbles = ReadCelHeader(cel_).bitsPerPixel == 4;
            if (!truecolour || !viewer) return {image_, nullptr, nibbles};
            cel_.Seek(0);
            DecodeTruecolourCel(truecolour_, cel_);
            return {image_, &truecolour_, false};
        });
    }
    // The 32-bit cels decoded so far, each once, in the order met.
    const std::vector<std::string>& TruecolourCels() const { return truecolourCels_; }

private:
    DollFiles& doll_;
    const KissConfiguration& configuration_;
    const RunOutput& output_;
    MemoryStream cel_, palette_;
    TBmp256Image image_;
    RgbaImage truecolour_;
    std::vector<std::string> truecolourCels_;
};

// The colours of the play area and its border come from the first palette, read once when first
// asked for; black without a palette line.
class FirstPalette {
public:
    FirstPalette(DollFiles& doll, const KissConfiguration& c) : doll_(doll), configuration_(c) {}
    TBmp256Image::Colour Colour(int group, int index)
    {
        if (configuration_.paletteCount == 0) return {};
        const std::string& name = configuration_.paletteFiles[0];
        if (!read_)
            Doing("cannot open the palette '" + name + "'", [&] { doll_.Load(name, palette_); });
        read_ = true;
        return PaletteColour(palette_, group, index,
                             configuration_.reading == Reading::Viewer ? ColourScale::Viewer
                                                                       : ColourScale::Designed);
    }

private:
    DollFiles& doll_;
    const KissConfiguration& configuration_;
    MemoryStream palette_;
    bool read_ = false;
};

// The sets the page shows: each the configuration defines, the chosen one and the one it opens
// on. A cel line names sets 0 to 9 only; "$" lines past the tenth are never shown.
std::vector<int> PageSets(const KissConfiguration& c, int chosen, int opening)
{
    std::vector<int> sets;
    for (int number = 0; number < static_cast<int>(TKissCel{}.inSet.size()); ++number)
        if (number < c.setCount || number == chosen || number == opening) sets.push_back(number);
    return sets;
}

// The start state's set as one picture, on colour 0 of the first palette in its group: its cels
// that are shown and placed, drawn back to front.
SetPicture StartPicture(const KissConfiguration& c, const DollState& start, CelDecoder& cels,
                        FirstPalette& firstPalette)
{
    const int group = start.paletteGroup[start.set];
    SetPicture picture(c.playWidth, c.playHeight, firstPalette.Colour(group, 0));
    for (int j = c.celCount - 1; j >= 0; --j) {
        const TKissCel& cel = c.cels[j];
        if (!cel.inSet[start.set] || !start.cels[j].mapped) continue;
        const KissPosition& at = start.positions[start.set].at(ObjectOf(cel, c));
        if (at.x == -1 && at.y == -1) continue;
        const auto opacity = static_cast<std::uint8_t>(255 - start.cels[j].transparency);
        const CelDecoder::Decoded decoded = cels.Decode(cel, group);
        if (decoded.truecolour)
            picture.DrawOver(*decoded.truecolour, at.x, at.y, opacity);
        else
            picture.DrawOver(decoded.image, at.x, at.y, opacity);
    }
    return picture;
}

// Converts the chosen set's cels, adds every set the page shows and draws the snapshot.
void ConvertSets(const KissConfiguration& c, RunOutput& output, CelDecoder& cels,
                 FirstPalette& firstPalette, PageModel* page, BufferedTextFile& report,
                 RunControls& controls, const RunOptions& options, DollStart& started)
{
    controls.ShowPaletteCount(IntToText(c.paletteCount));
    controls.ShowCelCount(IntToText(c.celCount));
    const std::int32_t setNumber = Doing(
        "cannot read the set number", [&] { return StrictTextToInt(controls.SetSelectorText()); });
    if (setNumber < 0 || setNumber > 9) throw ESetOutOfRange(setNumber);
    const KissSet& set = setNumber < c.setCount ? c.sets[setNumber] : kEmptySet;

    // What the page opens on and the snapshot shows: the doll as a viewer first shows it.
    const bool drawn = !options.snapshotPath.empty() || options.startPicture;
    if (page || drawn) started = StartOf(c, setNumber);
    const DollState& start = started.state;
    const std::vector<int> pageSets = page ? PageSets(c, setNumber, start.set) : std::vector<int>{};
    for (int j = 0; j < c.celCount; ++j) { // every file the run reads, before any is written
        const TKissCel& cel = c.cels[j];
        const bool read = cel.inSet[setNumber] || std::any_of(pageSets.begin(), pageSets.end(),
                                                              [&](int n) { return cel.inSet[n]; });
        if (!read || !StaysInside(cel.fileName)) continue;
        output.AddInput(cel.fileName);
        output.AddInput(PaletteNameOf(c, cel));
    }
    // Steps for the progress: each cel of the chosen set, then of each set the page shows.
    const auto celsIn = [&](int number) {
        return static_cast<int>(
            std::count_if(c.cels.begin(), c.cels.begin() + c.celCount,
                          [&](const TKissCel& cel) { return cel.inSet[number]; }));
    };
    int done = 0, all = celsIn(setNumber);
    for (const int number : pageSets)
        all += celsIn(number);
    for (int j = 0; j < c.celCount; ++j) {
        const TKissCel& cel = c.cels[j];
        if (!cel.inSet[setNumber]) continue;
        const std::string imageName = ImageNameOf(cel);
        if (output.Format() != ImageFormat::None) {
            const CelDecoder::Decoded decoded = cels.Decode(cel, set.paletteGroup);
            const std::string fileName =
                output.WriteImage(decoded.image, imageName, decoded.truecolour);
            controls.FileWritten(RunControls::Written::Image, output.PathOf(fileName));
        }
        const KissPosition at = set.At(ObjectOf(cel, c));
        Doing("cannot write the report '" + report.ShownPath() + "'",
              [&] { WriteReportLine(report, j, imageName, cel, at); });
        controls.ShowProgress(++done, all);
    }
    if (!cels.TruecolourCels().empty() && output.Format() == ImageFormat::Bmp) {
        std::string names;
        for (const std::string& name : cels.TruecolourCels())
            names += " " + name;
        controls.Notice("32-bit cels are blank in BMP files (--format png keeps them):" + names);
    }
    if (!page && !drawn) return;
    for (const int number : page ? pageSets : std::vector<int>{}) {
        page->AddSet(number, start);
        controls.ShowProgress(done += celsIn(number), all);
    }
    for (int group = 0; page && group < static_cast<int>(start.paletteGroup.size()); ++group)
        page->AddGroupColours(firstPalette.Colour(group, 0),
                              firstPalette.Colour(group, c.borderColour));
    if (!drawn) return;
    const SetPicture picture = StartPicture(c, start, cels, firstPalette);
    if (!options.snapshotPath.empty()) {
        output.WriteSnapshot(picture, options.snapshotPath);
        controls.FileWritten(RunControls::Written::Snapshot, options.snapshotPath);
    }
    if (options.startPicture) options.startPicture(picture);
}

void Convert(DollFiles& doll, const std::string& outputDirectory, RunControls& controls,
             const RunOptions& options, ImageFormat format, Reading reading)
{
    RunOutput output(doll, outputDirectory, format);
    const std::string configurationPath = doll.ConfigurationPath();
    const std::string reportName = ReportNameFor(configurationPath);
    const std::string pageName = PageNameFor(configurationPath);
    const std::string reportPath = output.PathOf(reportName), pagePath = output.PathOf(pageName);
    output.AddInput("");
    Doing("cannot create the report '" + reportPath + "'", [&] { output.RefuseInput(reportPath); });
    if (options.page)
        Doing("cannot write the page '" + pagePath + "'", [&] { output.RefuseInput(pagePath); });
    BufferedTextFile report; // closed, and so kept, on every path
    Doing("cannot create the report '" + reportPath + "'",
          [&] { output.CreateReport(report, reportName); });
    const auto configuration = std::make_unique<KissConfiguration>();
    {
        BufferedTextFile configurationFile;
        Doing("cannot open '" + configurationPath + "'",
              [&] { doll.OpenConfiguration(configurationFile); });
        Doing("cannot read the configuration '" + configurationPath + "'", [&] {
            ReadConfiguration(configurationFile, *configuration, reading);
            configurationFile.Close();
        });
    }
    const KissConfiguration& c = *configuration;
    CelDecoder cels(doll, c, output);
    FirstPalette firstPalette(doll, c);
    std::optional<PageModel> page;
    DollStart start; // as the page opens and the snapshot shows the doll
    if (options.page)
        page.emplace(c, [&](const TKissCel& cel) -> PageModel::Decoded {
            const CelDecoder::Decoded decoded = cels.Decode(cel, 0);
            return {decoded.image, decoded.truecolour, decoded.nibbles};
        });
    if (c.celCount > 0) {
        ConvertSets(c, output, cels, firstPalette, page ? &*page : nullptr, report, controls,
                    options, start);
    }
    if (page) { // once every cel it shows is decoded
        std::vector<std::string> notes; // the sounds the page cannot play, and why
        std::vector<DollSound> sounds = DollSounds(doll, start.program, notes);
        for (const std::string& note : notes)
            controls.Notice(note);
        Doing("cannot write the page '" + pagePath + "'", [&] {
            const DollPage& model = page->Finish(BaseName(StripExtension(configurationPath)), start,
                                                 DollReadmes(doll), std::move(sounds));
            output.WriteFile(pageName, options.page(model));
        });
        controls.FileWritten(RunControls::Written::Page, pagePath);
    }
    Doing("cannot write the report '" + reportPath + "'", [&] { report.Close(); });
    controls.FileWritten(RunControls::Written::Report, reportPath);
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
    return outputDirectory + platform::kSeparator + ReportNameFor(configurationPath);
}

void ConvertConfiguration(const std::string& configurationPath, const std::string& outputDirectory,
                          RunControls& controls)
{
    // An archive is read and checked whole here, before anything is written.
    ConvertDoll(OpenDoll(configurationPath, outputDirectory), outputDirectory, controls);
}

void ConvertDoll(std::unique_ptr<DollFiles> doll, const std::string& outputDirectory,
                 RunControls& controls, const RunOptions& options)
{
    // Two runs into one folder would mix their reports and images: the second stops at once.
    const platform::FolderLock lock(outputDirectory);
    if (lock.Busy()) throw EOutputFolderBusy(outputDirectory);
    doll->RequireOneConfiguration(); // before anything is written
    // BMP images alone are the designed run; anything more shows the doll as viewers do.
    const bool designed = options.format == ImageFormat::Bmp && options.snapshotPath.empty() &&
                          !options.startPicture && !options.page;
    Convert(*doll, outputDirectory, controls, options, options.format,
            designed ? Reading::Designed : Reading::Viewer);
    controls.StartEditor(ReportPathFor(doll->ConfigurationPath(), outputDirectory));
}
