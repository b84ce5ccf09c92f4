#include "ConvertConfiguration.h"

#include "BufferedTextFile.h"
#include "CelDecoder.h"
#include "DollConfiguration.h"
#include "KissConfiguration.h"
#include "RunDoll.h"
#include "RunOutput.h"
#include "StartPicture.h"
#include "StartState.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include "doll/DollFiles.h"
#include "doll/DollReadmes.h"
#include "imaging/SetPicture.h"
#include "platform/Exception.h"
#include "platform/File.h"

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

// A set without a "$" line has palette group 0 and no positions.
const KissSet kEmptySet;

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

// One run over an opened doll: the report created first, the configuration read, the chosen
// set's images and report lines, then the page and the snapshot when asked for.
class Run {
public:
    Run(DollFiles& doll, const std::string& outputDirectory, RunControls& controls,
        const RunOptions& options, Reading reading)
        : doll_(doll), controls_(controls), options_(options), reading_(reading),
          output_(doll, outputDirectory, options.format, options.outputFolder)
    {
    }
    void Convert();

private:
    void ReadTheConfiguration();
    // Shows the counts, reads the set number and lists every file the run reads, before any is
    // written; the doll's start when the page or the picture needs it.
    int ChooseSet();
    void ConvertSet(int number);
    std::string MakePage();
    void DrawStart();
    // The cels left out of the pictures, each kind in one notice.
    void TellLeftOut();

    DollFiles& doll_;
    RunControls& controls_;
    const RunOptions& options_;
    const Reading reading_;
    RunOutput output_;
    BufferedTextFile report_; // closed, and so kept, on every path
    std::string reportPath_;
    std::unique_ptr<KissConfiguration> configuration_;
    std::optional<CelDecoder> cels_;
    std::optional<FirstPalette> firstPalette_;
    std::optional<DollStart> start_; // as the page opens and the snapshot shows the doll
    std::vector<int> pageSets_;
    int done_ = 0, all_ = 0; // steps of the progress: a cel shown in a set
};

void Run::Convert()
{
    const std::string configurationPath = doll_.ConfigurationPath();
    const std::string reportName = ReportNameFor(configurationPath);
    const std::string pageName = PageNameFor(configurationPath);
    const std::string pagePath = output_.PathOf(pageName);
    reportPath_ = output_.PathOf(reportName);
    output_.AddInput("");
    // The author's texts the page shows are its inputs: a report of one's name is refused, as
    // any output over an input is, rather than written under a name the user never gave.
    std::vector<std::string> readmes, notes; // the notes come again with the page
    if (options_.page && options_.texts) DollReadmes(doll_, notes, &readmes);
    for (const std::string& name : readmes)
        output_.AddInput(name, "the author's text '%s', which the page shows");
    Doing("cannot create the report '" + reportPath_ + "'",
          [&] { output_.RefuseInput(reportPath_); });
    if (options_.page)
        Doing("cannot write the page '" + pagePath + "'", [&] { output_.RefuseInput(pagePath); });
    Doing("cannot create the report '" + reportPath_ + "'",
          [&] { output_.CreateReport(report_, reportName); });
    ReadTheConfiguration();
    if (configuration_->celCount > 0) ConvertSet(ChooseSet());
    const std::string page = options_.page ? MakePage() : "";
    DrawStart();
    TellLeftOut();
    if (options_.page) {
        Doing("cannot write the page '" + pagePath + "'",
              [&] { output_.WriteFile(pageName, page); });
        controls_.FileWritten(RunControls::Written::Page, pagePath);
    }
    Doing("cannot write the report '" + reportPath_ + "'", [&] { report_.Close(); });
    controls_.FileWritten(RunControls::Written::Report, reportPath_);
}

void Run::ReadTheConfiguration()
{
    configuration_ = std::make_unique<KissConfiguration>();
    const std::string path = doll_.ConfigurationPath();
    BufferedTextFile file;
    Doing("cannot open '" + path + "'", [&] { OpenConfiguration(doll_, file); });
    Doing("cannot read the configuration '" + path + "'", [&] {
        ReadConfiguration(file, *configuration_, reading_);
        file.Close();
    });
    cels_.emplace(doll_, *configuration_, output_);
    firstPalette_.emplace(doll_, *configuration_);
}

int Run::ChooseSet()
{
    const KissConfiguration& c = *configuration_;
    controls_.ShowPaletteCount(IntToText(c.paletteCount));
    controls_.ShowCelCount(IntToText(c.celCount));
    const std::int32_t number = Doing("cannot read the set number",
                                      [&] { return StrictTextToInt(controls_.SetSelectorText()); });
    if (number < 0 || number > 9) throw ESetOutOfRange(number);
    // What the page opens on and the snapshot shows: the doll as a viewer first shows it.
    if (options_.page || !options_.snapshotPath.empty() || options_.startPicture)
        start_ = StartOf(c, number);
    if (options_.page) pageSets_ = PageSets(c, number, start_->state.set);
    all_ = CelsIn(c, number);
    for (const int shown : pageSets_)
        all_ += CelsIn(c, shown);
    for (int j = 0; j < c.celCount; ++j) {
        const TKissCel& cel = c.cels[j];
        const bool read = cel.inSet[number] || std::any_of(pageSets_.begin(), pageSets_.end(),
                                                           [&](int n) { return cel.inSet[n]; });
        if (!read || !StaysInside(cel.fileName)) continue;
        output_.AddInput(cel.fileName);
        output_.AddInput(PaletteNameOf(c, cel));
    }
    return number;
}

void Run::ConvertSet(int number)
{
    const KissConfiguration& c = *configuration_;
    const KissSet& set = number < c.setCount ? c.sets[number] : kEmptySet;
    for (int j = 0; j < c.celCount; ++j) {
        const TKissCel& cel = c.cels[j];
        if (!cel.inSet[number]) continue;
        const std::string imageName = ImageNameOf(cel);
        // As viewers read a doll, a cel the doll has no file of has no image and no report line.
        if (cels_->LeftOut(cel)) {
            ObjectOf(cel, c);
            controls_.ShowProgress(++done_, all_);
            continue;
        }
        if (output_.Format() != ImageFormat::None) {
            const CelDecoder::Decoded decoded = cels_->Decode(cel, set.paletteGroup);
            const std::string fileName =
                output_.WriteImage(decoded.image, imageName, decoded.truecolour);
            controls_.FileWritten(RunControls::Written::Image, output_.PathOf(fileName));
        }
        const KissPosition at = set.At(ObjectOf(cel, c));
        Doing("cannot write the report '" + reportPath_ + "'",
              [&] { WriteReportLine(report_, j, imageName, cel, at); });
        controls_.ShowProgress(++done_, all_);
    }
    for (const auto& [kind, cels] : {std::pair{"32-bit cels", &cels_->TruecolourCels()},
                                     std::pair{"image-file cels", &cels_->ImageFileCels()}}) {
        if (cels->empty() || output_.Format() != ImageFormat::Bmp) continue;
        std::string names;
        for (const std::string& name : *cels)
            names += " " + name;
        controls_.Notice(std::string(kind) +
                         " are blank in BMP files (--format png keeps them):" + names);
    }
}

// Once every cel of the chosen set is written: the page decodes every cel it shows.
std::string Run::MakePage()
{
    if (!start_) start_.emplace(); // no cel, nothing started
    const auto setAdded = [&](int set) {
        controls_.ShowProgress(done_ += CelsIn(*configuration_, set), all_);
    };
    return options_.page({doll_, *configuration_, *start_, pageSets_, *cels_, *firstPalette_,
                          controls_, setAdded, options_.texts});
}

void Run::DrawStart()
{
    const bool drawn = !options_.snapshotPath.empty() || options_.startPicture;
    if (configuration_->celCount == 0 || !drawn) return;
    const SetPicture picture = StartPicture(*configuration_, start_->state, *cels_, *firstPalette_);
    if (!options_.snapshotPath.empty()) {
        output_.WriteSnapshot(picture, options_.snapshotPath);
        controls_.FileWritten(RunControls::Written::Snapshot, options_.snapshotPath);
    }
    if (options_.startPicture) options_.startPicture(picture);
}

void Run::TellLeftOut()
{
    if (!cels_) return;
    for (const auto& [names, what] :
         {std::pair{&cels_->Components(), "FKiSS 5 components, which a viewer makes, are left out "
                                          "of the pictures:"},
          {&cels_->MissingCels(), "cels the doll has no file of are left out of the pictures:"}}) {
        std::string text = what;
        for (const std::string& name : *names)
            text += " " + name;
        if (!names->empty()) controls_.Notice(text);
    }
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
    Run(*doll, outputDirectory, controls, options, designed ? Reading::Designed : Reading::Viewer)
        .Convert();
    controls.StartEditor(ReportPathFor(doll->ConfigurationPath(), outputDirectory));
}
