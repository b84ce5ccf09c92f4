#include "FkissProgram.h"

#include "FkissNotes.h"
#include "FkissWords.h"

#include "platform/Hex.h"

#include <algorithm>
#include <optional>

namespace {

using Kind = FkissValue::Kind;
using P = FkissProgram;

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

// Text as a note quotes it: short, and only printable ASCII as it is.
std::string Shown(const std::string& text)
{
    std::string shown;
    for (const char c : text.substr(0, P::kMaxName)) {
        const auto b = static_cast<unsigned char>(c);
        shown += b >= 0x20 && b < 0x7f ? std::string(1, c) : "\\x" + platform::Hex(b, 2);
    }
    return text.size() > P::kMaxName ? shown + "..." : shown;
}

// A decimal integer with an optional sign that fits 32 bits, and nothing else.
std::optional<std::int32_t> IntegerOf(const std::string& text)
{
    const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i)
        if (!IsDigit(text[i]) || (value = value * 10 + (text[i] - '0')) > 2147483648)
            return std::nullopt;
    value = text[0] == '-' ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool IsIdentifier(const std::string& text)
{
    return !text.empty() && IsLetter(text[0]) &&
           std::all_of(text.begin(), text.end(), [](char c) { return IsLetter(c) || IsDigit(c); });
}

std::string WhatFits(char parameter)
{
    switch (parameter) {
    case 'c':
        return "a cel";
    case 'o':
        return "an object";
    case 'b':
        return "a cel or an object";
    case 'n':
        return "a number or a variable";
    case 'v':
        return "a variable";
    case 's':
        return "a quoted text";
    case 'l':
        return "a label";
    default:
        return "a value";
    }
}

struct RawArgument {
    bool quoted = false;
    std::string text; // unquoted: blanks around it removed
};

class Reader {
public:
    explicit Reader(FkissProgram& program) : p_(program), notes_(program.notes, P::kMaxNotes) {}

    // False once the program is cut at a limit: nothing after it is read.
    bool Read(const FkissLine& line);
    void Finish() { p_.level = FkissLevelName(level_); }

private:
    bool ReadArguments(const std::string& t, std::size_t& i, std::vector<RawArgument>& raw);
    bool Take(const std::string& name, bool parenthesised, const std::vector<RawArgument>& raw);
    std::vector<FkissValue> Typed(const std::string& name, const FkissWord* word,
                                  const std::vector<RawArgument>& raw);
    void Note(const std::string& text) { notes_.Add(line_, text); }

    FkissProgram& p_;
    FkissNotes notes_;
    int line_ = 0;
    int level_ = 0;
    std::size_t actions_ = 0, arguments_ = 0;
    bool handler_ = false, beforeNoted_ = false;
};

bool Reader::Read(const FkissLine& line)
{
    line_ = line.number;
    const std::string& t = line.text;
    if (!t.starts_with(";@")) {
        Note("the line does not start with ';@'");
        return true;
    }
    bool strayNoted = false;
    // Every turn takes at least one character, so a line costs no more than its length.
    for (std::size_t i = 2; i < t.size();) {
        if (IsSpace(t[i])) {
            ++i;
            continue;
        }
        if (t[i] == ';') return true; // a comment to the end of the line
        if (!IsLetter(t[i])) {
            if (!strayNoted) Note("'" + Shown(t.substr(i, 1)) + "' is not part of a statement");
            strayNoted = true;
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < t.size() && (IsLetter(t[i]) || IsDigit(t[i])))
            ++i;
        const std::string name = Lowered(t.substr(start, std::min(i - start, P::kMaxName)));
        if (i - start > P::kMaxName) Note("the name '" + Shown(name) + "' is cut");
        while (i < t.size() && IsSpace(t[i]))
            ++i;
        std::vector<RawArgument> raw;
        const bool parenthesised = i < t.size() && t[i] == '(';
        if (parenthesised && !ReadArguments(t, ++i, raw)) Note("')' is missing after " + name);
        if (!Take(name, parenthesised, raw)) return false;
    }
    return true;
}

// From after the '(' to after the ')'; false when the line (or its part before a comment) ends
// first. Each turn takes at least one character.
bool Reader::ReadArguments(const std::string& t, std::size_t& i, std::vector<RawArgument>& raw)
{
    const auto skipSpaces = [&] {
        while (i < t.size() && IsSpace(t[i]))
            ++i;
    };
    bool cutNoted = false;
    skipSpaces();
    if (i < t.size() && t[i] == ')') return ++i, true;
    while (i < t.size() && t[i] != ';') {
        RawArgument argument;
        if (t[i] == '"') {
            argument.quoted = true;
            const std::size_t end = std::min(t.find('"', ++i), t.size());
            if (end == t.size()) Note("a closing '\"' is missing");
            argument.text = t.substr(i, std::min(end - i, P::kMaxText));
            if (end - i > P::kMaxText) Note("the text \"" + Shown(argument.text) + "\" is cut");
            i = std::min(end + 1, t.size());
        } else {
            const std::size_t start = i;
            while (i < t.size() && t[i] != ',' && t[i] != ')' && t[i] != ';' && t[i] != '"')
                ++i;
            std::size_t end = i;
            while (end > start && IsSpace(t[end - 1]))
                --end;
            argument.text = t.substr(start, std::min(end - start, P::kMaxText));
        }
        if (raw.size() < P::kMaxArguments) {
            raw.push_back(std::move(argument));
        } else {
            if (!cutNoted)
                Note("only the first " + std::to_string(P::kMaxArguments) + " arguments are kept");
            cutNoted = true;
        }
        skipSpaces();
        if (i < t.size() && t[i] == ')') return ++i, true;
        if (i < t.size() && t[i] == ',') {
            ++i;
            skipSpaces();
        } else if (i < t.size() && t[i] != ';') {
            Note("a ',' is missing between arguments");
        }
    }
    return false;
}

bool Reader::Take(const std::string& name, bool parenthesised, const std::vector<RawArgument>& raw)
{
    if (name == "eventhandler") return handler_ = true;
    if (!handler_) {
        if (!beforeNoted_) Note("FKiSS before ;@EventHandler is ignored");
        beforeNoted_ = true;
        return true;
    }
    if (!parenthesised) {
        Note("'" + name + "' without '(' is ignored");
        return true;
    }
    if ((arguments_ += raw.size()) > P::kMaxArgumentsInAll) {
        notes_.AddAlways(line_, "the program is cut at " + std::to_string(P::kMaxArgumentsInAll) +
                                    " arguments");
        return false;
    }
    const FkissWord* word = FindFkissWord(name);
    std::vector<FkissValue> arguments = Typed(name, word, raw);
    if (word && word->event) {
        if (p_.events.size() == P::kMaxEvents) {
            notes_.AddAlways(line_,
                             "the program is cut at " + std::to_string(P::kMaxEvents) + " events");
            return false;
        }
        if (word->level == 0) Note("the event '" + name + "' is past FKiSS 3");
        p_.events.push_back({name, std::move(arguments), {}, false, line_});
    } else {
        if (!word) Note("unknown action '" + name + "'");
        if (p_.events.empty()) {
            Note("'" + name + "' before any event is ignored");
            return true;
        }
        if (actions_ == P::kMaxActions) {
            notes_.AddAlways(line_, "the program is cut at " + std::to_string(P::kMaxActions) +
                                        " actions");
            return false;
        }
        ++actions_;
        p_.events.back().actions.push_back({name, std::move(arguments), false, line_});
    }
    if (word) level_ = std::max(level_, word->level);
    return true;
}

std::vector<FkissValue> Reader::Typed(const std::string& name, const FkissWord* word,
                                      const std::vector<RawArgument>& raw)
{
    const std::string_view parameters = word ? word->parameters : "*";
    const bool checked = parameters != "*";
    if (checked && raw.size() != parameters.size())
        Note(name + " takes " + std::to_string(parameters.size()) + " argument(s), not " +
             std::to_string(raw.size()));
    std::vector<FkissValue> values;
    for (std::size_t k = 0; k < raw.size(); ++k) {
        const char want = checked && k < parameters.size() ? parameters[k] : '*';
        const std::string& text = raw[k].text;
        FkissValue value{Kind::Text, 0, text};
        bool fits = want == '*';
        if (raw[k].quoted) {
            const bool cel = want == 'c' || want == 'b';
            value = cel ? FkissValue{Kind::Cel, 0, Lowered(text)} : FkissValue{Kind::Text, 0, text};
            fits = fits || cel || want == 's';
        } else if (const auto object =
                       text.starts_with('#') ? IntegerOf(text.substr(1)) : std::nullopt) {
            value = {Kind::Object, *object, ""};
            fits = fits || want == 'o' || want == 'b';
        } else if (const auto number = IntegerOf(text)) {
            value = {want == 'l' ? Kind::Label : Kind::Number, *number, ""};
            fits = fits || want == 'n' || want == 'l';
        } else if (IsIdentifier(text)) {
            if (text.size() > P::kMaxName) Note("the name '" + Shown(text) + "' is cut");
            value = {want == 'l' ? Kind::Label : Kind::Variable, 0,
                     Lowered(text.substr(0, P::kMaxName))};
            fits = fits || want == 'n' || want == 'v' || want == 'l';
            if (want == 'n') level_ = std::max(level_, 5);
        } else {
            fits = false;
        }
        if (!fits)
            Note("argument " + std::to_string(k + 1) + " of " + name + " should be " +
                 WhatFits(want) + ", not " + (raw[k].quoted ? "\"" : "'") + Shown(text) +
                 (raw[k].quoted ? "\"" : "'"));
        values.push_back(std::move(value));
    }
    return values;
}

} // namespace

FkissProgram ReadFkiss(const std::vector<FkissLine>& lines)
{
    FkissProgram program;
    Reader reader(program);
    for (const FkissLine& line : lines)
        if (!reader.Read(line)) break;
    reader.Finish();
    return program;
}

std::vector<std::string> SoundFiles(const FkissProgram& program)
{
    std::vector<std::string> names;
    for (const FkissEvent& event : program.events)
        for (const FkissAction& action : event.actions)
            // sound("") names no file: viewers take it to stop the sound playing.
            if (action.name == "sound" && !action.arguments.empty() &&
                action.arguments[0].kind == FkissValue::Kind::Text &&
                !action.arguments[0].text.empty())
                names.push_back(action.arguments[0].text);
    return names;
}
