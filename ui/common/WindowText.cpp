#include "WindowText.h"

#include "conversion/TextNumbers.h"
#include "platform/Exception.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>

namespace {

// The positions of the separators, each double-byte character stepped over whole.
std::vector<std::size_t> Separators(const std::string& text, char separator, char other = '\0')
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (platform::IsFileNameLeadByte(text[i]))
            ++i;
        else if (text[i] == separator || (other != '\0' && text[i] == other))
            at.push_back(i);
    }
    return at;
}

} // namespace

std::string LowerAsciiLetters(const std::string& text)
{
    std::string lowered = text;
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        if (platform::IsFileNameLeadByte(lowered[i]))
            ++i;
        else if (lowered[i] >= 'A' && lowered[i] <= 'Z')
            lowered[i] = static_cast<char>(lowered[i] - 'A' + 'a');
    }
    return lowered;
}

std::string ApplicationTitleFor(const std::string& programPath)
{
    const std::vector<std::size_t> separators = Separators(programPath, '/', '\\');
    std::string name = separators.empty() ? programPath : programPath.substr(separators.back() + 1);
    const std::vector<std::size_t> dots = Separators(name, '.');
    if (!dots.empty()) name.resize(dots.front());
    if (name.empty()) return name;
    const std::size_t first = platform::IsFileNameLeadByte(name[0]) && name.size() > 1 ? 2 : 1;
    return name.substr(0, first) + LowerAsciiLetters(name.substr(first));
}

std::string CurrentErrorBoxText()
{
    try {
        throw;
    } catch (const Exception& e) {
        return e.Message() + '.';
    } catch (const std::bad_alloc&) {
        return EOutOfMemory().Message() + '.';
    } catch (const std::exception& e) {
        return std::string(e.what()) + '.';
    }
}

namespace {

// Drops the first directory of a folder part ("\A\B\" becomes "\...\B\"); the "..." that an
// earlier step left counts as no directory.
void CutFirstDirectory(std::string& folder, char separator, const std::string& dots)
{
    if (folder == std::string(1, separator)) {
        folder.clear();
        return;
    }
    const bool root = !folder.empty() && folder[0] == separator;
    if (root) folder.erase(0, 1);
    if (folder.starts_with(dots)) folder.erase(0, dots.size());
    const std::vector<std::size_t> next = Separators(folder, separator);
    folder = next.empty() ? std::string() : dots + folder.substr(next.front() + 1);
    if (root) folder.insert(folder.begin(), separator);
}

} // namespace

std::string MinimizeName(const std::string& path,
                         const std::function<int(const std::string&)>& width, int maxWidth,
                         char separator)
{
    const std::string dots = std::string("...") + separator;
    const std::vector<std::size_t> separators = Separators(path, separator);
    const std::size_t cut = separators.empty() ? 0 : separators.back() + 1;
    std::string folder = path.substr(0, cut);
    const std::string name = path.substr(cut);
    std::string drive;
    if (folder.size() >= 2 && folder[1] == ':' && !platform::IsFileNameLeadByte(folder[0])) {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    // Every step removes a directory, the dots, the root or the drive, so the loop ends.
    std::string result = path;
    while ((!folder.empty() || !drive.empty()) && width(result) > maxWidth) {
        if (folder == separator + dots) {
            drive.clear();
            folder = dots;
        } else if (folder.empty()) {
            drive.clear();
        } else {
            CutFirstDirectory(folder, separator, dots);
        }
        result = drive + folder + name;
    }
    return result;
}

std::string VolumeLineText(const std::string& head, TVolumeKind kind, const std::string& label,
                           const std::string& networkName)
{
    const std::string framed = label.empty() ? std::string() : '[' + LowerAsciiLetters(label) + ']';
    std::string detail;
    switch (kind) {
    case TVolumeKind::Removable:
        break;
    case TVolumeKind::Network:
        detail = networkName.empty() ? framed : LowerAsciiLetters(networkName);
        break;
    default:
        detail = framed;
        break;
    }
    return detail.empty() ? head : head + ' ' + detail;
}

std::vector<TDirectoryLine> DirectoryLines(const std::string& root, const std::string& directory,
                                           const std::vector<std::string>& subdirectories,
                                           char separator)
{
    std::vector<TDirectoryLine> lines;
    if (directory.empty()) return lines;
    std::vector<std::string> steps;
    const std::string below = directory.substr(std::min(root.size(), directory.size()));
    std::size_t begin = 0;
    for (const std::size_t at : Separators(below + separator, separator)) {
        if (at > begin) steps.push_back(below.substr(begin, at - begin));
        begin = at + 1;
    }
    const auto onTheWay = [&](std::size_t i) {
        return i == steps.size() ? TFolderPicture::Current : TFolderPicture::Open;
    };
    lines.push_back({root, root, 0, onTheWay(0)});
    std::string path = root;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        path += (i == 0 ? "" : std::string(1, separator)) + steps[i];
        lines.push_back({steps[i], path, static_cast<int>(i) + 1, onTheWay(i + 1)});
    }
    const int depth = static_cast<int>(steps.size()) + 1;
    const std::string parent = directory == root ? directory : directory + separator;
    for (const std::string& name : subdirectories)
        lines.push_back({name, parent + name, depth, TFolderPicture::Closed});
    return lines;
}

std::string SteppedSetText(const std::string& text, int steps)
{
    const IntConversion read = TextToInt(text);
    const std::int64_t stepped = static_cast<std::int64_t>(read.ok ? read.value : 0) + steps;
    return IntToText(
        static_cast<std::int32_t>(std::clamp<std::int64_t>(stepped, kFirstSet, kLastSet)));
}

std::string SetTextOnLeaving(const std::string& text)
{
    const IntConversion read = TextToInt(text);
    if (!read.ok || (read.value >= kFirstSet && read.value <= kLastSet)) return text;
    return IntToText(read.value < kFirstSet ? kFirstSet : kLastSet);
}

bool SetSelectorTakes(char32_t typed, const std::u32string& decimalSeparator)
{
    const bool control = typed < 0x20 || typed == 0x7F;
    return (typed >= U'0' && typed <= U'9') || typed == U'+' || typed == U'-' ||
           decimalSeparator.find(typed) != std::u32string::npos ||
           (control && typed != U'\r' && typed != U'\n');
}
