// One doll's run as kiss2bmp makes it, and what it prints.
#include "OneDoll.h"

#include "conversion/CheckDoll.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/TextNumbers.h"
#include "doll/DollFiles.h"
#include "imaging/MemoryStream.h"
#include "imaging/SetPicture.h"
#include "platform/Hex.h"
#include "platform/InOutError.h"
#include "web/Gallery.h"
#include "web/PlayPage.h"

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

bool Out(const std::string& text)
{
    return platform::WriteStandardStream(1, text);
}
bool Err(const std::string& text)
{
    return platform::WriteStandardStream(2, text);
}

std::string Printable(const std::string& text)
{
    std::string shown;
    for (const unsigned char c : text) {
        if (c >= 32 && c != 127)
            shown += static_cast<char>(c);
        else
            shown += "\\x" + platform::Hex(c, 2, platform::HexCase::Upper);
    }
    return shown;
}

std::string FailureText(const Exception& e, const std::string& doll)
{
    const std::string whose = doll.empty() ? "" : Printable(doll) + ": ";
    return (doll.empty() ? "" : "kiss2bmp: " + whose) + Printable(e.Message()) +
           ".\nkiss2bmp: " + whose + Printable(e.English()) + "\n";
}

Progress::Progress(bool shown) : shown_(shown && platform::IsTerminal(2)) {}

void Progress::Show(const std::string& what, int done, int all)
{
    const std::lock_guard lock(mutex_);
    const std::string line = what + " " + std::to_string(done) + " of " + std::to_string(all);
    if (!shown_ || line == line_) return;
    Err("\r" + line +
        std::string(line_.size() > line.size() ? line_.size() - line.size() : 0, ' '));
    line_ = line;
}

void Progress::Print(int stream, const std::string& text)
{
    const std::lock_guard lock(mutex_);
    if (!line_.empty()) Err("\r" + std::string(line_.size(), ' ') + "\r");
    line_.clear();
    if (!text.empty()) platform::WriteStandardStream(stream, text);
}

namespace {

class BatchControls : public RunControls {
public:
    BatchControls(const Command& command, Printed& printed, Progress* progress)
        : command_(command), printed_(printed), progress_(progress)
    {
    }
    void ShowPaletteCount(const std::string& text) override { paletteCount = text; }
    void ShowCelCount(const std::string& text) override { celCount = text; }
    std::string SetSelectorText() override { return command_.setText; }
    void StartEditor(const std::string& reportPath) override
    {
        if (command_.open) platform::OpenInTextEditor(reportPath);
    }
    void ShowProgress(int done, int all) override
    {
        if (progress_) progress_->Show("kiss2bmp: cels", done, all);
    }
    void FileWritten(Written kind, const std::string& path) override
    {
        if (command_.verbose) printed_.out += "wrote " + Printable(path) + "\n";
        if (kind == Written::Image) ++images;
        if (kind != Written::Image) named[kind] = path;
    }
    void Notice(const std::string& text) override
    {
        const std::string& whose = printed_.label;
        printed_.err +=
            "kiss2bmp: " + (whose.empty() ? "" : Printable(whose) + ": ") + Printable(text) + "\n";
    }
    void PageTexts(const std::vector<std::string>& names) override { texts = names; }

    std::string paletteCount = "0", celCount = "0";
    int images = 0;
    std::vector<std::string> texts; // the author's, in the page
    std::map<Written, std::string> named;

private:
    const Command& command_;
    Printed& printed_;
    Progress* progress_;
};

// Checks the doll the command names (its only configuration, or the one --cnf chooses), at the
// start of the set --set names (0 when that is no set).
int Check(DollFiles& doll, const Command& command, Printed& printed)
{
    const IntConversion set = TextToInt(command.setText);
    const DollCheck check =
        CheckDoll(doll, set.ok && set.value >= 0 && set.value <= 9 ? set.value : 0);
    for (const std::string& finding : check.findings)
        printed.out += Printable(finding) + "\n";
    return check.allFound && !check.bmpRunRefuses ? 0 : 1;
}

// The summary of a run: one line a kind of file, or all in one line when several dolls run.
std::string Summary(const BatchControls& controls, const Command& command, bool made,
                    const std::string& output, bool oneLine)
{
    const char* format = command.format == ImageFormat::Png ? " PNG" : " BMP";
    std::vector<std::pair<std::string, std::string>> lines;
    if (made && !oneLine) lines.emplace_back("made the output folder", Printable(output));
    lines.emplace_back("palettes", controls.paletteCount);
    lines.emplace_back("cels", controls.celCount);
    if (command.format != ImageFormat::None)
        lines.emplace_back("images", std::to_string(controls.images) + format +
                                         (controls.images == 1 ? " file" : " files"));
    using Written = RunControls::Written;
    for (const auto& [kind, title] : {std::pair{Written::Report, "report"},
                                      {Written::Snapshot, "snapshot"},
                                      {Written::Page, "page"}})
        if (controls.named.contains(kind))
            lines.emplace_back(title, Printable(controls.named.at(kind)));
    std::string text;
    for (const auto& [title, value] : lines)
        text += oneLine ? (text.empty() ? "" : ", ") + title + " " + value
                        : title + (title.starts_with("made") ? " " : ": ") + value + "\n";
    return oneLine ? text + "\n" : text;
}

} // namespace

[[noreturn]] void FolderFails(const std::string& path, bool inside)
{
    const EInOutError e = EInOutError::FromSystemError(platform::LastError(), path);
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string link = !fs::is_symlink(fs::symlink_status(path, error)) ? e.English()
                             : fs::exists(path, error)
                                 ? "it is a link, and none is followed inside the output folder"
                                 : "it is a link to nothing";
    throw EInOutError(e.Message(), e.ErrorCode(),
                      (inside ? "cannot make the folder '" : "cannot make the output folder '") +
                          path + "': " + link);
}

platform::Folder OutputFolder(const std::string& path, bool& made)
{
    platform::Folder folder = platform::MakeFolders(path, made);
    if (!folder.IsOpen()) FolderFails(path, false);
    return folder;
}

void RunOneDoll(const Command& command, const std::string& path, const Destination& destination,
                Printed& printed, Progress* progress)
{
    const std::string& output = destination.path;
    std::unique_ptr<DollFiles> doll = OpenDoll(path, output);
    const std::vector<std::string> inside = doll->Configurations();
    std::string list;
    for (const std::string& name : inside)
        list += " " + name;
    const std::optional<std::string>& cnfName = command.cnfName;
    const auto usage = [&](const std::string& problem) {
        printed.err += "kiss2bmp: " + Printable(problem) + "\n";
        printed.status = 2;
    };
    if (cnfName && !IsArchiveName(path))
        return usage("--cnf chooses a configuration inside an archive");
    if (cnfName && !doll->SelectConfiguration(*cnfName))
        return usage("no configuration " + *cnfName + " in " + path + "; it holds:" + list);
    if (!cnfName && inside.size() > 1)
        return usage(path + " holds several configurations; choose one with --cnf:" + list);
    if (command.kind == Command::Check) {
        printed.status = Check(*doll, command, printed);
        return;
    }
    ConvertOpenDoll(command, std::move(doll), destination, printed, progress, nullptr);
}

void ConvertOpenDoll(const Command& command, std::unique_ptr<DollFiles> doll,
                     const Destination& destination, Printed& printed, Progress* progress,
                     GalleryDoll* gallery)
{
    const std::string& output = destination.path;
    RunOptions options;
    options.outputFolder = &destination.folder;
    options.format = command.format;
    options.snapshotPath = command.snapshotPath;
    if (command.page) options.page = PlayPageOf;
    options.texts = command.texts;
    if (gallery)
        options.startPicture = [&](const SetPicture& picture) {
            MemoryStream png;
            picture.FittedInto(160, 160).EncodePng(png);
            gallery->picturePng.assign(reinterpret_cast<const char*>(png.Data()), png.Size());
        };
    BatchControls controls(command, printed, progress);
    const std::string configurationPath = doll->ConfigurationPath();
    ConvertDoll(std::move(doll), output, controls, options);
    if (gallery) gallery->pagePath = PageNameFor(configurationPath);
    if (!command.quiet)
        printed.out +=
            Summary(controls, command, destination.made, output, command.dolls.size() > 1);
    // Said even with -q: the page may be put online, and these files go with it.
    std::string texts;
    for (const std::string& name : controls.texts)
        texts += (texts.empty() ? "" : ", ") + Printable(name);
    if (!texts.empty()) printed.out += "texts in the page: " + texts + "\n";
}
