#pragma once
// What every test program uses: GoogleTest, temporary folders and files, and the check of a raised message.
#include "platform/Exception.h"
#include "support/TempDir.h"

#include <chrono>
#include <clocale>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

#ifdef _WIN32
// MinGW's std::filesystem reads a name in bytes in the C runtime's code page (and gives names in UTF-8): made the ANSI
// one, it reads names as the system's calls do (on a Japanese Windows "\x95\x5C" is "表", not "\x95" and a separator).
inline const bool kFileNamesInTheAnsiCodePage = std::setlocale(LC_CTYPE, "") != nullptr;
#endif

// The message of the E that action raises, or "(no error)": tests compare the whole text the user would read.
template <class E = Exception, class Action> std::string MessageOf(Action&& action)
try {
    action();
    return "(no error)";
} catch (const E& e) {
    return e.Message();
}

// A path or message as the system reads names: on Windows "/" is "\\", and a name is found in any case, as written.
inline std::string Native(std::string text)
{
#ifdef _WIN32
    for (char& c : text)
        c = c == '/' ? '\\' : c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
#endif
    return text;
}

// By doubling: rows are made at every start.
inline std::string Repeat(const std::string& text, int times)
{
    std::string all = text;
    while (all.size() < text.size() * times)
        all += all;
    return all.substr(0, text.size() * times);
}
// status -1: the program did not end by itself.
struct ProcessResult {
    int status = -1;
    std::string out, err;
};
// The processor time this process has used: what a run costs, however busy the machine is.
std::chrono::microseconds ProcessorTime();
// Runs program with the arguments, no shell, in workingDirectory ("": ours), its output caught in files in scratch.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& scratch, const std::string& workingDirectory = "");
