#include "Arguments.h"

#include "conversion/DollFiles.h"
#include "conversion/TextNumbers.h"

#include "archives/Archive.h"
#include "imaging/PngImage.h"

#include <algorithm>
#include <iterator>

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

Command Of(Command::Kind kind)
{
    Command command;
    command.kind = kind;
    return command;
}

Command Usage(std::string problem)
{
    Command command = Of(Command::UsageError);
    command.problem = std::move(problem);
    return command;
}

} // namespace

std::string UsageText()
{
    return std::string(kUsage) + kLimits;
}

Command ParseArguments(const std::vector<std::string>& arguments)
{
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
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const auto option = std::find_if(std::begin(valued), std::end(valued), [&](const auto& o) {
            return arg == o.name || arg.starts_with(o.name + "=");
        });
        if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
        } else if (option != std::end(valued)) {
            if (arg == option->name && ++i == arguments.size()) return Usage(option->needs);
            *option->value =
                arg == option->name ? arguments[i] : arg.substr(option->name.size() + 1);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            return Of(Command::Help);
        } else if (arg == "--version") {
            return Of(Command::Version);
        } else if (arg == "--open") {
            open = true;
        } else if (arg == "--page") {
            page = true;
        } else if (arg == "--check") {
            checkOnly = true;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (cnfName && cnfName->empty()) return Usage("the configuration name is empty");
    if (format && *format != "bmp" && *format != "png")
        return Usage("the format must be bmp or png, not '" + *format + "'");
    if (snapshot && snapshot->empty()) return Usage("the picture file name is empty");
    if (page && format == "bmp") return Usage("--page shows PNG images: not --format bmp");
    if (page && checkOnly) return Usage("--check writes nothing: no page");
    if (!kWritesPng && (format == "png" || snapshot || page))
        return Usage("this build writes no PNG files: no --format png, --snapshot or --page");
    if (operands.empty() || operands.size() > 2)
        return Usage(operands.empty() ? "no configuration file given" : "too many arguments");
    // An empty name (an unset shell variable) would make the run use the root folder.
    if (operands[0].empty()) return Usage("the configuration file name is empty");
    if (operands.size() == 2 && operands[1].empty())
        return Usage("the output folder name is empty");
    if (checkOnly && operands.size() == 2) return Usage("--check writes nothing: no output folder");

    // A number outside the sets is refused before anything is written, as the window's selector
    // never holds one; any other text goes to the run, whose strict conversion refuses it.
    Command command = Of(checkOnly ? Command::Check : Command::Convert);
    command.setText = setText.value_or("0");
    const IntConversion set = TextToInt(command.setText);
    if (set.ok && (set.value < 0 || set.value > 9))
        return Usage("the set number must be 0 to 9, not '" + command.setText + "'");
    if (!kReadsArchives && IsArchiveName(operands[0]))
        return Usage("this build reads no archives: give the doll's .cnf file");
    command.cnfName = cnfName;
    command.doll = operands[0];
    if (operands.size() == 2) command.output = operands[1];
    command.format = format == "png" ? ImageFormat::Png : ImageFormat::Bmp;
    command.snapshotPath = snapshot.value_or("");
    command.page = page;
    command.open = open;
    return command;
}
