// kiss2bmp: the batch form of the conversion run.
#include "Arguments.h"

#include "conversion/CheckDoll.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/TextNumbers.h"
#include "conversion/TextPaths.h"
#include "doll/DollFiles.h"
#include "platform/InOutError.h"

#include "imaging/MemoryStream.h"
#include "imaging/SetPicture.h"

#include "web/Gallery.h"
#include "web/PlayPage.h"

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Hex.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Messages reach a Windows console as characters, anything else as the same bytes everywhere.
bool Out(const std::string& text)
{
    return platform::WriteStandardStream(1, text);
}
bool Err(const std::string& text)
{
    return platform::WriteStandardStream(2, text);
}

// Names in messages come from strangers' files: their control bytes would drive the terminal.
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

int UsageError(const std::string& problem)
{
    Err("kiss2bmp: " + Printable(problem) + "\nTry 'kiss2bmp --help' for more information.\n");
    return 2;
}

// What a failure prints: the window's line, then the same in English naming the file; when several
// dolls are converted, both name the doll it ended.
std::string FailureText(const Exception& e, const std::string& doll = "")
{
    const std::string whose = doll.empty() ? "" : Printable(doll) + ": ";
    return (doll.empty() ? "" : "kiss2bmp: " + whose) + Printable(e.Message()) +
           ".\nkiss2bmp: " + whose + Printable(e.English()) + "\n";
}

// The work done so far on one line of standard error, rewritten in place; nothing unless it is a
// terminal. Shared by the dolls converted at once.
class Progress {
public:
    explicit Progress(bool shown) : shown_(shown && platform::IsTerminal(2)) {}
    void Show(const std::string& what, int done, int all)
    {
        const std::lock_guard lock(mutex_);
        const std::string line = what + " " + std::to_string(done) + " of " + std::to_string(all);
        if (!shown_ || line == line_) return;
        Err("\r" + line +
            std::string(line_.size() > line.size() ? line_.size() - line.size() : 0, ' '));
        line_ = line;
    }
    // Clears the line, then prints text where it was.
    void Print(int stream, const std::string& text)
    {
        const std::lock_guard lock(mutex_);
        if (!line_.empty()) Err("\r" + std::string(line_.size(), ' ') + "\r");
        line_.clear();
        if (!text.empty()) platform::WriteStandardStream(stream, text);
    }

private:
    const bool shown_;
    std::mutex mutex_;
    std::string line_;
};

// What one doll's run printed, kept apart while several dolls run at once.
struct Printed {
    int status = 0;
    std::string out, err;
};

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
        printed_.err += "kiss2bmp: " + Printable(text) + "\n";
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

// Why the folder at path cannot be made or entered; a link there is told as one (inside the
// output folder none is followed).
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

// The output folder the user named, made when missing (made tells); it may be a link.
platform::Folder OutputFolder(const std::string& path, bool& made)
{
    platform::Folder folder = platform::MakeFolders(path, made);
    if (!folder.IsOpen()) FolderFails(path, false);
    return folder;
}

// Where a doll's run writes: its output folder's path, the folder open, whether it was made.
struct Destination {
    const std::string& path;
    const platform::Folder& folder;
    bool made = false;
};

// Opens a doll, then checks or converts the configuration the command chooses in it, into its
// destination. What it prints is kept in printed; usage errors are status 2.
void RunDoll(const Command& command, const std::string& path, const Destination& destination,
             Printed& printed, Progress* progress, GalleryDoll* gallery)
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

// The folder of its own each of several dolls is converted into: the doll's file name without
// its extension, numbered when another doll or the gallery has taken it already.
std::vector<std::string> FolderNames(const std::vector<std::string>& dolls)
{
    std::vector<std::string> names;
    const auto taken = [&](const std::string& name) {
        return AsciiLowerCase(name) == "index.html" ||
               std::ranges::any_of(names, [&](const std::string& other) {
                   return AsciiLowerCase(other) == AsciiLowerCase(name);
               });
    };
    for (const std::string& doll : dolls) {
        const std::string base = StripExtension(doll.substr(DirectoryOf(doll).size()));
        std::string name = base;
        for (int n = 2; taken(name); ++n)
            name = base + "-" + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

// Converts several dolls, each into a folder of its own, some at once; one failing stops no
// other. With the page, a gallery of them all in the output folder.
int RunDolls(const Command& command)
{
    bool made = false;
    const platform::Folder top = OutputFolder(command.output, made);
    const std::vector<std::string> names = FolderNames(command.dolls);
    const int count = static_cast<int>(command.dolls.size());
    std::vector<GalleryDoll> gallery(command.page ? count : 0);
    // Bytes, not std::vector<bool>: workers setting bits of one word at once would lose some.
    std::vector<char> converted(count, 0);
    if (made && !command.quiet) Out("made the output folder " + Printable(command.output) + "\n");
    Progress progress(!command.quiet);
    std::atomic<int> next{0}, done{0};
    const auto work = [&] {
        for (int i; (i = next++) < count;) {
            Printed printed;
            const std::string& doll = command.dolls[i];
            try {
                const std::string output = command.output + platform::kSeparator + names[i];
                const platform::Folder folder = top.Enter(names[i]); // never through a link
                if (!folder.IsOpen()) FolderFails(output, true);
                RunDoll(command, doll, {output, folder}, printed, nullptr,
                        command.page ? &gallery[i] : nullptr);
            } catch (const Exception& e) {
                printed = {1, printed.out, FailureText(e, doll)};
            } catch (const std::bad_alloc&) {
                printed = {1, printed.out, FailureText(EOutOfMemory(), doll)};
            }
            converted[i] = printed.status == 0;
            std::string lines; // each named after its doll
            for (std::size_t at = 0, end; at < printed.out.size(); at = end + 1) {
                end = printed.out.find('\n', at);
                lines += Printable(doll) + ": " + printed.out.substr(at, end - at + 1);
            }
            printed.out = lines;
            progress.Print(1, printed.out);
            progress.Print(2, printed.err);
            progress.Show("kiss2bmp: dolls", ++done, count);
        }
    };
    std::vector<std::thread> workers;
    for (int n = 1; n < std::min(command.jobs, count); ++n)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    progress.Print(1, "");
    int failed = static_cast<int>(std::ranges::count(converted, 0));
    if (command.page) {
        std::vector<GalleryDoll> shown;
        for (int i = 0; i < count; ++i)
            if (converted[i])
                shown.push_back({names[i], names[i] + platform::kSeparator + gallery[i].pagePath,
                                 gallery[i].picturePng});
        const std::string path = command.output + platform::kSeparator + "index.html";
        const auto identity = platform::IdentityOf(path);
        if (identity && std::ranges::any_of(command.dolls, [&](const std::string& doll) {
                return platform::IdentityOf(doll) == identity;
            })) {
            Err("kiss2bmp: the gallery " + Printable(path) +
                " would replace a doll: not written\n");
            ++failed;
        } else {
            MemoryStream page;
            const std::string html = GalleryPage(shown);
            page.Write(reinterpret_cast<const std::uint8_t*>(html.data()), html.size());
            page.SaveToFile(top, "index.html", path);
            if (command.verbose) Out("wrote " + Printable(path) + "\n");
        }
    }
    if (!command.quiet || failed > 0)
        Out("dolls: " + std::to_string(count - failed) + " converted, " + std::to_string(failed) +
            " failed\n");
    return failed > 0 ? 1 : 0;
}

int Run(const Command& command)
{
    switch (command.kind) {
    case Command::UsageError:
        return UsageError(command.problem);
    case Command::Help:
        Out(UsageText());
        return 0;
    case Command::Version:
        Out("kiss2bmp " KISS_VERSION "\n");
        return 0;
    case Command::Convert:
    case Command::Check:
        break;
    }
    if (command.dolls.size() > 1) return RunDolls(command);
    Printed printed;
    Progress progress(!command.quiet);
    bool made = false;
    const platform::Folder folder =
        command.kind == Command::Convert ? OutputFolder(command.output, made) : platform::Folder();
    RunDoll(command, command.dolls[0], {command.output, folder, made}, printed, &progress, nullptr);
    progress.Print(1, "");
    Err(printed.err);
    if (printed.status == 2) Err("Try 'kiss2bmp --help' for more information.\n");
    if (!Out(printed.out)) {
        Err(command.kind == Command::Check
                ? "kiss2bmp: the findings could not be written to standard output\n"
                : "kiss2bmp: the summary could not be written to standard output\n");
        return 1;
    }
    return printed.status;
}

} // namespace

int main(int argc, char** argv)
{
    // Ctrl-C, a closed terminal or a kill leaves no temporary file behind (exit 130, 129, 143).
    platform::ExitCleanlyOnSignals();
    // The one place where a failure, or a memory request refused anywhere, becomes its message.
    try {
        const int cores = static_cast<int>(std::thread::hardware_concurrency());
        return Run(ParseArguments(std::vector<std::string>(argv + 1, argv + argc), cores));
    } catch (const Exception& e) {
        Err(FailureText(e));
        return 1;
    } catch (const std::bad_alloc&) {
        Err(FailureText(EOutOfMemory()));
        return 1;
    }
}
