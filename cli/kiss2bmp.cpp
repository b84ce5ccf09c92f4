// kiss2bmp: the batch form of the conversion run.
#include "Arguments.h"
#include "Batch.h"
#include "OneDoll.h"

#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

int UsageError(const std::string& problem)
{
    Err("kiss2bmp: " + Printable(problem) + "\nTry 'kiss2bmp --help' for more information.\n");
    return 2;
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
    RunOneDoll(command, command.dolls[0], {command.output, folder, made}, printed, &progress);
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
