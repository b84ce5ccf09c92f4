// kiss2bmp: the batch form of the conversion run.
#include "Arguments.h"

#include "conversion/CheckDoll.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/DollFiles.h"

#include "web/PlayPage.h"

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Hex.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
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
        if (c >= 32 && c != 127)
            shown += static_cast<char>(c);
        else
            shown += "\\x" + platform::Hex(c, 2, platform::HexCase::Upper);
    }
    return shown;
}

int UsageError(const std::string& problem)
{
    Err("kiss2bmp: " + Printable(problem) + "\n" + UsageText());
    return 2;
}

// Opens the doll, then checks or converts the configuration the command chooses in it.
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
    const std::string& configuration = command.doll;
    std::unique_ptr<DollFiles> doll = OpenDoll(configuration, command.output);
    const std::vector<std::string> inside = doll->Configurations();
    std::string list;
    for (const std::string& name : inside)
        list += " " + name;
    const std::optional<std::string>& cnfName = command.cnfName;
    if (cnfName && !IsArchiveName(configuration))
        return UsageError("--cnf chooses a configuration inside an archive");
    if (cnfName && !doll->SelectConfiguration(*cnfName))
        return UsageError("no configuration " + *cnfName + " in " + configuration +
                          "; it holds:" + list);
    if (!cnfName && inside.size() > 1)
        return UsageError(configuration +
                          " holds several configurations; choose one with --cnf:" + list);
    if (command.kind == Command::Check) {
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
    RunOptions options;
    options.format = command.format;
    options.snapshotPath = command.snapshotPath;
    if (command.page) options.page = PlayPage;
    BatchControls controls(command.setText, command.open);
    const std::string reportPath = ReportPathFor(doll->ConfigurationPath(), command.output);
    ConvertDoll(std::move(doll), command.output, controls, options);
    if (!Out("palettes: " + controls.paletteCount + "\ncels: " + controls.celCount +
             "\nreport: " + Printable(reportPath) + "\n")) {
        Err("kiss2bmp: the summary could not be written to standard output\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Ctrl-C, a closed terminal or a kill leaves no temporary file behind (exit 130, 129, 143).
    platform::ExitCleanlyOnSignals();
    // The one place where a failure, or a memory request refused anywhere, becomes its message.
    try {
        return Run(ParseArguments(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const Exception& e) {
        Err(Printable(e.Message()) + ".\n");
        return 1;
    } catch (const std::bad_alloc&) {
        Err(EOutOfMemory().Message() + ".\n");
        return 1;
    }
}
