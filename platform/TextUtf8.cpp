#include "TextUtf8.h"

#include "ShiftJis.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The length of the well-formed UTF-8 character at text[i], or 0 when none begins there.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const unsigned char c = text[i];
    const std::size_t length = c < 0x80   ? 1
                               : c < 0xC2 ? 0
                               : c < 0xE0 ? 2
                               : c < 0xF0 ? 3
                               : c < 0xF5 ? 4
                                          : 0;
    if (length == 0 || i + length > text.size()) return 0;
    const unsigned char second = text[i + (length > 1)];
    const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (length > 1 && (second < low || second > high)) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

// The bytes at the end of a line that begin a UTF-8 character without its last bytes: what a cut
// leaves of it.
std::size_t Utf8Tail(std::string_view line)
{
    for (std::size_t k = 1; k < 4 && k <= line.size(); ++k) {
        const unsigned char c = line[line.size() - k];
        if ((c & 0xC0) == 0x80) continue;
        const std::size_t length = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : 4;
        return c >= 0xC2 && c < 0xF5 && length > k ? k : 0;
    }
    return 0;
}

// A line reads as UTF-8 when it holds more UTF-8 characters past ASCII than bytes that are none.
bool ReadsAsUtf8(std::string_view line)
{
    std::size_t characters = 0, stray = 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = Utf8Length(line, i);
        characters += length > 1;
        stray += length == 0;
        i += std::max<std::size_t>(length, 1);
    }
    return characters > stray;
}

void AppendUtf8(std::string_view line, std::string& utf8)
{
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = Utf8Length(line, i);
        utf8 += length == 0 ? kReplacement : line.substr(i, length);
        i += std::max<std::size_t>(length, 1);
    }
}

bool IsShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Where each Shift-JIS character of a line begins, and its end last: a lead byte and a byte that
// may follow it are one character, any other byte one by itself.
std::vector<std::size_t> ShiftJisStarts(std::string_view line)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < line.size();) {
        starts.push_back(i);
        const bool pair = IsShiftJisLead(line[i]) && i + 1 < line.size() &&
                          static_cast<unsigned char>(line[i + 1]) >= 0x40 &&
                          static_cast<unsigned char>(line[i + 1]) != 0x7F &&
                          static_cast<unsigned char>(line[i + 1]) <= 0xFC;
        i += pair ? 2 : 1;
    }
    starts.push_back(line.size());
    return starts;
}

// The characters first to last of a line in Shift-JIS, none of them a lead byte alone: a stretch
// that converts whole is taken whole, one that does not is halved, and a single character that
// does not is U+FFFD.
void AppendShiftJisStretch(std::string_view line, const std::vector<std::size_t>& starts,
                           std::size_t first, std::size_t last, std::string& utf8)
{
    if (first == last) return;
    const std::string part(line.substr(starts[first], starts[last] - starts[first]));
    if (const auto decoded = platform::ShiftJisToUtf8(part); decoded && IsUtf8(*decoded)) {
        utf8 += *decoded;
    } else if (last - first == 1) {
        utf8 += kReplacement;
    } else {
        const std::size_t middle = first + (last - first) / 2;
        AppendShiftJisStretch(line, starts, first, middle, utf8);
        AppendShiftJisStretch(line, starts, middle, last, utf8);
    }
}

// A line in Shift-JIS, a lead byte without a byte that may follow it being U+FFFD at once.
void AppendShiftJis(std::string_view line, std::string& utf8)
{
    const std::vector<std::size_t> starts = ShiftJisStarts(line);
    std::size_t first = 0;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        if (starts[k + 1] - starts[k] > 1 || !IsShiftJisLead(line[starts[k]])) continue;
        AppendShiftJisStretch(line, starts, first, k, utf8);
        utf8 += kReplacement;
        first = k + 1;
    }
    AppendShiftJisStretch(line, starts, first, starts.size() - 1, utf8);
}

// The length of the text without the character its end splits, read as its last line reads.
std::size_t WholeCharacters(std::string_view text)
{
    const std::size_t begin = text.find_last_of('\n') + 1; // no Shift-JIS byte pair holds '\n'
    const std::string_view line = text.substr(begin);
    const std::size_t tail = Utf8Tail(line);
    const std::string_view before = line.substr(0, line.size() - tail);
    if (IsUtf8(before) || ReadsAsUtf8(before)) return text.size() - tail;
    const std::vector<std::size_t> starts = ShiftJisStarts(line);
    const std::size_t last = starts[starts.size() - 2];
    const bool split = !line.empty() && last + 1 == line.size() && IsShiftJisLead(line[last]);
    return text.size() - (split ? 1 : 0);
}

} // namespace

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string TextAsUtf8(const std::string& whole, bool cut)
{
    const std::string text = cut ? whole.substr(0, WholeCharacters(whole)) : whole;
    if (IsUtf8(text)) return text;
    if (auto decoded = platform::ShiftJisToUtf8(text); decoded && IsUtf8(*decoded)) return *decoded;
    std::string utf8;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        const std::string_view line = std::string_view(text).substr(at, end - at);
        if (IsUtf8(line) || ReadsAsUtf8(line)) {
            AppendUtf8(line, utf8);
        } else {
            AppendShiftJis(line, utf8);
        }
        at = end;
    }
    return utf8;
}
