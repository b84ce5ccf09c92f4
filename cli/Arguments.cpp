#include "Arguments.h"

#include "conversion/TextNumbers.h"
#include "conversion/TextPaths.h"
#include "doll/DollFiles.h"

#include "platform/File.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* kUsage =
    "Usage: kiss2bmp [--set N] [--cnf NAME] [--format bmp|png] [--snapshot FILE.png]\n"
    "                [--page [--no-texts]] [--open] [-q | -v] DOLL [OUTPUT_DIR]\n"
    "       kiss2bmp [options] DOLL... -o OUTPUT_DIR    (or OUTPUT_DIR last, a folder)\n"
    "       kiss2bmp --check [--cnf NAME] DOLL\n"
    "Converts every cel of set N (0 to 9, default 0) of a KiSS doll into an 8-bit BMP file\n"
    "in OUTPUT_DIR (default: the current directory; made when missing) and writes a report\n"
    "of HTML applet parameter lines named after the configuration. DOLL is a configuration\n"
    "file (.cnf) or the doll's archive (.lzh or .zip), read in memory: nothing is unpacked.\n"
    "Several dolls are converted at once, each into OUTPUT_DIR/NAME/.\n"
    "\n"
    "  --set N     the set to convert, written as in the window's set selector\n"
    "  --cnf NAME  the configuration to use in an archive that holds several\n"
    "  --format F  bmp (the default) or png: indexed PNG files with colour 0\n"
    "              transparent (32-bit cels with their alpha), colours as viewers show them\n"
    "  --snapshot FILE.png\n"
    "              also draw the set as one picture, as a viewer shows it at the start\n"
    "  --page      write a web page that plays the doll instead of the images: NAME.html\n"
    "              beside the report, one file holding every cel of every set (with\n"
    "              --format png, the images too); with several dolls, also\n"
    "              OUTPUT_DIR/index.html, a gallery of them all\n"
    "  --no-texts  leave out of the page the author's .txt and .doc files, which it\n"
    "              takes from the archive or from beside the configuration, and the\n"
    "              summary names\n"
    "  --check     write nothing: tell how each file the configuration names is found,\n"
    "              which files no line names, lines that point nowhere, and what viewers\n"
    "              show beyond BMP files (FKiSS, 32-bit cels, cels hidden at the start);\n"
    "              exit 0 when every named file is found and BMP files can be made, else 1\n"
    "  --open      open the report in the desktop's text editor afterwards\n"
    "  -o DIR      the output folder (--output=DIR); every operand is then a doll\n"
    "  -j N        convert N dolls at once (--jobs=N; default: one per processor)\n"
    "  -q          print nothing but failures and the texts in a page\n"
    "  -v          also name each file written\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

Command Of(Command::Kind kind)
{
    Command command;
    command.kind = kind;
    return command;
}

bool IsOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

// Named as a doll is: a configuration or an archive (ARCHIVE/MEMBER ends in .cnf).
bool IsDollName(const std::string& name)
{
    return EndsWithCaseBlind(name, ".cnf") || IsArchiveName(name);
}

// Why an operand can be no doll, or nothing: the run would name its report after nothing, or
// read a folder.
std::string DollProblem(const std::string& doll)
{
    // An empty name (an unset shell variable) would make the run use the root folder.
    if (doll.empty()) return "the configuration file name is empty";
    if (doll == "-") return "'-' is no doll: kiss2bmp reads files, not standard input";
    if (platform::IsDirectory(doll))
        return "'" + doll + "' is a folder: give the doll's .cnf file or its .lzh or .zip archive";
    if (BaseName(StripExtension(doll)).empty())
        return StripExtension(doll.substr(DirectoryOf(doll).size())).empty()
                   ? "'" + doll + "' names no file"
                   : "'" + doll + "' starts with '.': the report is named after what comes " +
                         "before the first '.' of the name, and that is nothing";
    return "";
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
    return kUsage;
}

Command ParseArguments(const std::vector<std::string>& arguments, int defaultJobs)
{
    bool open = false, checkOnly = false, page = false, quiet = false, verbose = false,
         noTexts = false;
    std::optional<std::string> setText, cnfName, format, snapshot, output, jobs;
    // Options with a value, written "--name VALUE" or "--name=VALUE" (short ones "-n VALUE").
    const struct {
        std::string name;
        const char* needs;
        std::optional<std::string>* value;
    } valued[] = {{"--set", "--set needs a set number", &setText},
                  {"--cnf", "--cnf needs a configuration name", &cnfName},
                  {"--format", "--format needs bmp or png", &format},
                  {"--snapshot", "--snapshot needs a .png file name", &snapshot},
                  {"--output", "-o needs an output folder", &output},
                  {"-o", "-o needs an output folder", &output},
                  {"--jobs", "-j needs a number of dolls", &jobs},
                  {"-j", "-j needs a number of dolls", &jobs}};
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
            const bool apart = arg == option->name;
            // The next argument is no value when it is an option, or a doll where a set belongs.
            if (apart && (++i == arguments.size() || IsOption(arguments[i]) ||
                          (option->value == &setText && IsDollName(arguments[i]))))
                return Usage(option->needs);
            *option->value = apart ? arguments[i] : arg.substr(option->name.size() + 1);
        } else if (arg.starts_with("-j") && arg.size() > 2) {
            jobs = arg.substr(2);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "--help" || arg == "-h") {
            return Of(Command::Help);
        } else if (arg == "--version") {
            return Of(Command::Version);
        } else if (arg == "--open" || arg == "--page" || arg == "--check" || arg == "-q" ||
                   arg == "-v" || arg == "--no-texts") {
            bool& flag = arg == "--open"       ? open
                         : arg == "--page"     ? page
                         : arg == "--check"    ? checkOnly
                         : arg == "--no-texts" ? noTexts
                         : arg == "-q"         ? quiet
                                               : verbose;
            flag = true;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (cnfName && cnfName->empty()) return Usage("the configuration name is empty");
    if (format && *format != "bmp" && *format != "png")
        return Usage("the format must be bmp or png, not '" + *format + "'");
    if (snapshot && snapshot->empty()) return Usage("the picture file name is empty");
    if (snapshot && !EndsWithCaseBlind(*snapshot, ".png"))
        return Usage("the picture is a PNG file: its name must end in .png, not '" + *snapshot +
                     "'");
    if (output && output->empty()) return Usage("the output folder name is empty");
    const IntConversion jobCount = TextToInt(jobs.value_or(IntToText(std::max(defaultJobs, 1))));
    if (!jobCount.ok || jobCount.value < 1)
        return Usage("-j needs a number of dolls of 1 or more, not '" + *jobs + "'");
    if (page && format == "bmp")
        return Usage(
            "--page shows the doll as viewers do, BMP files as designed: not --format bmp");
    if (page && checkOnly) return Usage("--check writes nothing: no page");
    if (noTexts && !page) return Usage("--no-texts leaves the texts out of a page: give --page");
    if (quiet && verbose) return Usage("-q and -v: choose one");
    if (operands.empty()) return Usage("no configuration file given");
    // Without -o, the last of several operands is the output folder when it is a folder, or when
    // it is named like no doll.
    const std::string& last = operands.back();
    if (!output && operands.size() > 1 && (platform::IsDirectory(last) || !IsDollName(last))) {
        output = last;
        operands.pop_back();
        if (output->empty()) return Usage("the output folder name is empty");
    }
    if (checkOnly && output) return Usage("--check writes nothing: no output folder");
    for (const std::string& doll : operands)
        if (const std::string problem = DollProblem(doll); !problem.empty()) return Usage(problem);
    if (operands.size() > 1) {
        if (checkOnly) return Usage("--check takes one doll at a time");
        if (cnfName) return Usage("--cnf chooses a configuration in one doll: give one doll");
        if (snapshot) return Usage("--snapshot draws one doll: give one doll");
        if (open) return Usage("--open opens one report: give one doll");
    }

    // A number outside the sets is refused before anything is written, as the window's selector
    // never holds one; any other text goes to the run, whose strict conversion refuses it.
    Command command = Of(checkOnly ? Command::Check : Command::Convert);
    command.setText = setText.value_or("0");
    const IntConversion set = TextToInt(command.setText);
    if (set.ok && (set.value < 0 || set.value > 9))
        return Usage("the set number must be 0 to 9, not '" + command.setText + "'");
    command.cnfName = cnfName;
    command.dolls = operands;
    command.output = output.value_or(".");
    command.jobs = jobCount.value;
    command.format = format == "png"   ? ImageFormat::Png
                     : page && !format ? ImageFormat::None // the page holds its pictures itself
                                       : ImageFormat::Bmp;
    command.snapshotPath = snapshot.value_or("");
    command.page = page;
    command.texts = !noTexts;
    command.open = open;
    command.quiet = quiet;
    command.verbose = verbose;
    return command;
}
