// kiss2bmp: the batch form of the conversion run.
#include "conversion/CheckDoll.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/DollFiles.h"
#include "conversion/TextNumbers.h"

#include "archives/Archive.h"
#include "imaging/PngImage.h"
#include "web/PlayPage.h"

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: kiss2bmp [--set N] [--cnf NAME] [--format bmp|png]\n"
    "                [--snapshot FILE.png] [--page] [--open] DOLL [OUTPUT_DIR]\n"
    "       kiss2bmp --check [--cnf NAME] DOLL\n"
    "Converts every cel of set N (0 to 9, default 0) of a KiSS doll into an 8-bit BMP file\n"
    "in OUTPUT_DIR (default: the current directory) and writes a report of HTML applet\n"
    "parameter lines named after the configuration. DOLL is a configuration file (.cnf) or\n"
    "the doll's archive (.lzh or .zip), read in memory: nothing is unpacked.\n"
    "\n"
    "  --set N     the set to convert, written as in the window's set selector\n"
    "  --cnf NAME  the configuration to use in an archive that holds several\n"
    "  --format F  bmp (the default) or png: 8-bit indexed PNG files with colour 0\n"
    "              transparent, the same pixels and colours as the BMP files\n"
    "  --snapshot FILE.png\n"
    "              also draw the set as one picture, as a viewer shows it at the start\n"
    "  --page      also write a web page that plays the doll (NAME.html beside the\n"
    "              report, PNG images, a picture of every cel of every set)\n"
    "  --check     write nothing: tell how each file the configuration names is found,\n"
    "              which files no line names, and lines that point nowhere; exit 0 when\n"
    "              every named file is found, else 1\n"
    "  --open      open the report in the desktop's text editor afterwards\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";
// Where the archive and PNG libraries are not built (Windows), the options and dolls needing them
// are usage errors.
constexpr const char* kLimits = kReadsArchives && kWritesPng
                                    ? ""
                                    : "\nThis build reads a doll's .cnf file only, not its "
                                      "archive, and writes BMP files only:\n"
                                      "its system has no build of the archive and PNG libraries.\n";

// Messages reach a Windows console as characters, anything else as the same bytes everywhere.
bool Out(const std::string& text)
{
    return platform::WriteStandardStream(1, text);
}
bool Err(const std::string& text)
{
    return platform::WriteStandardStream(2, text);
}

class BatchControls : public RunControls {
public:
    BatchControls(std::string setText, bool open) : setText_(std::move(setText)), open_(open) {}
    void ShowPaletteCount(const std::string& text) override { paletteCount = text; }
    void ShowCelCount(const std::string& text) override { celCount = text; }
    std::string SetSelectorText() override { return setText_; }
    void StartEditor(const std::string& reportPath) override
    {
        if (open_) platform::OpenInTextEditor(reportPath);
    }

    std::string paletteCount = "0";
    std::string celCount = "0";

private:
    std::string setText_;
    bool open_;
};

// Names in messages come from strangers' files: their control bytes would drive the terminal.
std::string Printable(const std::string& text)
{
    std::string shown;
    for (const unsigned char c : text) {
        if (c >= 32 && c != 127) {
            shown += static_cast<char>(c);
        } else {
            const char* const digits = "0123456789ABCDEF";
            shown += std::string("\\x") + digits[c >> 4] + digits[c & 15];
        }
    }
    return shown;
}

int UsageError(const std::string& problem)
{
    Err("kiss2bmp: " + Printable(problem) + "\n" + kUsage + kLimits);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Ctrl-C, a closed terminal or a kill leaves no temporary file behind (exit 130, 129, 143).
    platform::ExitCleanlyOnSignals();
    bool open = false, checkOnly = false, page = false;
    std::optional<std::string> setText, cnfName, format, snapshot;
    // Options with a value, written "--name VALUE" or "--name=VALUE".
    const struct {
        std::string name;
        const char* needs;
        std::optional<std::string>* value;
    } valued[] = {{"--set", "--set needs a set number", &setText},
                  {"--cnf", "--cnf needs a configuration name", &cnfName},
                  {"--format", "--format needs bmp or png", &format},
                  {"--snapshot", "--snapshot needs a picture file name", &snapshot}};
    std::vector<std::string> operands;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto option = std::find_if(std::begin(valued), std::end(valued), [&](const auto& o) {
            return arg == o.name || arg.starts_with(o.name + "=");
        });
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
        } else if (option != std::end(valued)) {
            if (arg == option->name && ++i == argc) return UsageError(option->needs);
            *option->value = arg == option->name ? argv[i] : arg.substr(option->name.size() + 1);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            Out(std::string(kUsage) + kLimits);
            return 0;
        } else if (arg == "--version") {
            Out("kiss2bmp " KISS_VERSION "\n");
            return 0;
        } else if (arg == "--open") {
            open = true;
        } else if (arg == "--page") {
            page = true;
        } else if (arg == "--check") {
            checkOnly = true;
        } else {
            return UsageError("unknown option " + arg);
        }
    }
    if (cnfName && cnfName->empty()) return UsageError("the configuration name is empty");
    if (format && *format != "bmp" && *format != "png")
        return UsageError("the format must be bmp or png, not '" + *format + "'");
    if (snapshot && snapshot->empty()) return UsageError("the picture file name is empty");
    if (page && format == "bmp") return UsageError("--page shows PNG images: not --format bmp");
    if (page && checkOnly) return UsageError("--check writes nothing: no page");
    if (!kWritesPng && (format == "png" || snapshot || page))
        return UsageError("this build writes no PNG files: no --format png, --snapshot or --page");
    RunOptions options;
    options.format = format == "png" || page ? ImageFormat::Png : ImageFormat::Bmp;
    if (page) options.page = PlayPage;
    options.snapshotPath = snapshot.value_or("");
    if (operands.empty() || operands.size() > 2)
        return UsageError(operands.empty() ? "no configuration file given" : "too many arguments");
    // An empty name (an unset shell variable) would make the run use the root folder.
    if (operands[0].empty()) return UsageError("the configuration file name is empty");
    if (operands.size() == 2 && operands[1].empty())
        return UsageError("the output folder name is empty");
    if (checkOnly && operands.size() == 2)
        return UsageError("--check writes nothing: no output folder");

    // A number outside the sets is refused before anything is written, as the window's selector
    // never holds one; any other text goes to the run, whose strict conversion refuses it.
    const std::string setNumber = setText.value_or("0");
    const IntConversion set = TextToInt(setNumber);
    if (set.ok && (set.value < 0 || set.value > 9))
        return UsageError("the set number must be 0 to 9, not '" + setNumber + "'");

    const std::string& configuration = operands[0];
    if (!kReadsArchives && IsArchiveName(configuration))
        return UsageError("this build reads no archives: give the doll's .cnf file");
    const std::string output = operands.size() == 2 ? operands[1] : ".";
    BatchControls controls(setNumber, open);
    std::string reportPath;
    try {
        std::unique_ptr<DollFiles> doll = OpenDoll(configuration, output);
        const std::vector<std::string> inside = doll->Configurations();
        std::string list;
        for (const std::string& name : inside)
            list += " " + name;
        if (cnfName && !IsArchiveName(configuration))
            return UsageError("--cnf chooses a configuration inside an archive");
        if (cnfName && !doll->SelectConfiguration(*cnfName))
            return UsageError("no configuration " + *cnfName + " in " + configuration +
                              "; it holds:" + list);
        if (!cnfName && inside.size() > 1)
            return UsageError(configuration +
                              " holds several configurations; choose one with --cnf:" + list);
        if (checkOnly) {
            const DollCheck check = CheckDoll(*doll);
            std::string findings;
            for (const std::string& finding : check.findings)
                findings += Printable(finding) + "\n";
            if (!Out(findings)) {
                Err("kiss2bmp: the findings could not be written to standard output\n");
                return 1;
            }
            return check.allFound ? 0 : 1;
        }
        reportPath = ReportPathFor(doll->ConfigurationPath(), output);
        ConvertDoll(std::move(doll), output, controls, options);
    } catch (const Exception& e) {
        Err(Printable(e.Message()) + ".\n");
        return 1;
    } catch (const std::bad_alloc&) {
        Err(EOutOfMemory().Message() + ".\n");
        return 1;
    }
    if (!Out("palettes: " + controls.paletteCount + "\ncels: " + controls.celCount +
             "\nreport: " + Printable(reportPath) + "\n")) {
        Err("kiss2bmp: the summary could not be written to standard output\n");
        return 1;
    }
    return 0;
}
