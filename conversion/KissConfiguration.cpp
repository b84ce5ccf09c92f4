#include "KissConfiguration.h"

#include "BufferedTextFile.h"
#include "TextNumbers.h"
#include "TextPaths.h"
#include "TextTokens.h"

#include "platform/Exception.h"

#include <algorithm>

namespace {

class ETooManyLines : public Exception {
public:
    ETooManyLines(const char* kind, const char* english, int limit)
        : Exception(std::string(kind) + "行が多すぎます (最大 " + std::to_string(limit) + ")",
                    "more than " + std::to_string(limit) + " " + english + " lines")
    {
    }
};

class EObjectOutOfRange : public Exception {
public:
    EObjectOutOfRange(std::int32_t object, int last)
        : Exception(FormatMessage("ｵﾌﾞｼﾞｪｸﾄ番号 %d は範囲外です (0 から " + IntToText(last) + ")",
                                  IntToText(object)),
                    "object number " + IntToText(object) + " is out of range (0 to " +
                        IntToText(last) + ")")
    {
    }
};

// The next token, or the empty text when the line holds none.
std::string TakeToken(std::string& line)
{
    std::string token;
    NextToken(line, token);
    return token;
}

std::int32_t ValueOf(const std::string& text)
{
    return TextToInt(text).value;
}

// As viewers read a line, its lists end where a comment begins, blanks before it included.
std::string WithoutComment(const std::string& line, Reading reading)
{
    if (reading == Reading::Designed) return line;
    const std::string kept = line.substr(0, line.find(';'));
    return kept.substr(0, kept.find_last_not_of(" \t") + 1);
}

void ReadPositions(std::string line, KissSet& set, int& cursor)
{
    std::string token;
    // No object number can refer past the table, so the list stops there: a line of any length
    // then costs no more than reading it.
    while (!line.empty() && cursor < static_cast<int>(set.positions.size())) {
        NextToken(line, token);
        KissPosition position;
        if (token != "*") {
            std::string rest = token, x;
            SplitAt(rest, ',', x);
            position.x = ValueOf(x);
            position.y = ValueOf(rest);
        }
        set.positions[cursor++] = position;
    }
}

// The marks viewers read from a cel line's comment, each a word of its own at its start:
// "%tN" (how much of the cel lets what is behind show through) and "%u" (hidden at the start).
void ReadCelMarks(std::string comment, TKissCel& cel)
{
    for (std::string word = TakeToken(comment); word.size() >= 2 && word[0] == '%';
         word = TakeToken(comment)) {
        if (word[1] == 't' || word[1] == 'T')
            cel.transparency = std::clamp(ValueOf(word.substr(2)), 0, 255);
        else if (word == "%u" || word == "%U")
            cel.unmapped = true;
    }
}

void ReadCelLine(std::string line, TKissCel& cel, Reading reading)
{
    std::string objectToken = TakeToken(line);
    if (objectToken.find('.') == std::string::npos) {
        cel.objectNumber = ValueOf(objectToken);
        cel.fixValue = 0;
    } else {
        std::string object, fix;
        SplitAt(objectToken, '.', object);
        SplitAt(objectToken, '.', fix);
        cel.objectNumber = ValueOf(object);
        cel.fixValue = ValueOf(fix);
    }
    cel.fileName = TakeToken(line);

    // As designed, the rest of the line is searched whole, comments included.
    const std::string rest = WithoutComment(line, reading);
    if (const auto comment = line.find(';');
        reading == Reading::Viewer && comment != std::string::npos)
        ReadCelMarks(line.substr(comment + 1), cel);
    const auto star = rest.find('*');
    cel.paletteIndex = 0;
    if (star != std::string::npos) {
        const auto colon = rest.find(':', star + 1);
        std::string mark = rest.substr(star + 1, colon == std::string::npos ? std::string::npos
                                                                            : colon - star - 1);
        cel.paletteIndex = static_cast<std::uint8_t>(ValueOf(TakeToken(mark)));
    }
    const auto colon = rest.find(':');
    for (int k = 0; k < 10; ++k) {
        cel.inSet[k] = colon == std::string::npos ||
                               rest.find(static_cast<char>('0' + k), colon + 1) != std::string::npos
                           ? 1
                           : 0;
    }
}

} // namespace

void ReadConfiguration(BufferedTextFile& file, KissConfiguration& configuration, Reading reading)
{
    KissConfiguration& c = configuration;
    c.reading = reading;
    int cursor = 0;
    const auto readLine = [&](std::string line, int number) {
        if (line.empty()) return;
        if (reading == Reading::Viewer && line.starts_with(";@"))
            c.fkissLines.emplace_back(number, line);
        const char kind = line[0];
        if (kind == '%') {
            if (c.paletteCount == KissConfiguration::kMaxPalettes)
                throw ETooManyLines("ﾊﾟﾚｯﾄ", "palette", KissConfiguration::kMaxPalettes);
            line.erase(0, 1);
            c.paletteFiles[c.paletteCount++] = TakeToken(line);
        } else if (kind == '#') {
            if (c.celCount == c.MaxCels()) throw ETooManyLines("ｾﾙ", "cel", c.MaxCels());
            ReadCelLine(line.substr(1), c.cels.emplace_back(), reading);
            ++c.celCount;
        } else if (kind == '$') {
            if (c.setCount == KissConfiguration::kMaxSets)
                throw ETooManyLines("ｾｯﾄ", "set", KissConfiguration::kMaxSets);
            line.erase(0, 1);
            line = WithoutComment(line, reading);
            KissSet& set = c.sets[c.setCount++];
            set.paletteGroup = static_cast<std::uint8_t>(ValueOf(TakeToken(line)));
            set.positions.assign(static_cast<std::size_t>(c.MaxObjects()), {});
            cursor = 0;
            ReadPositions(line, set, cursor);
        } else if (kind == '(') {
            const auto comma = line.find(',');
            const std::int32_t w =
                ValueOf(line.substr(1, comma == std::string::npos ? 0 : comma - 1));
            const std::int32_t h = comma == std::string::npos ? 0 : ValueOf(line.substr(comma + 1));
            if (w >= 1 && h >= 1 && w <= c.kMaxPlaySide && h <= c.kMaxPlaySide)
                c.playWidth = w, c.playHeight = h;
        } else if (kind == '[') {
            line.erase(0, 1);
            c.borderColour = ValueOf(TakeToken(line));
        } else if (kind == ' ') {
            // A continuation before the first set line has no set to add to.
            if (c.setCount > 0)
                ReadPositions(WithoutComment(line, reading), c.sets[c.setCount - 1], cursor);
        }
    };
    for (int number = 1; !file.AtEnd();) {
        std::string read = file.ReadLine();
        if (reading == Reading::Designed) {
            readLine(std::move(read), number++);
            continue;
        }
        // As viewers read a file, a line feed alone ends a line too, as in files made on Unix.
        std::size_t start = 0;
        for (std::size_t end; (end = read.find('\n', start)) != std::string::npos; start = end + 1)
            readLine(read.substr(start, end - start), number++);
        readLine(read.substr(start), number++);
    }
}

std::size_t ObjectOf(const TKissCel& cel, const KissConfiguration& configuration)
{
    if (cel.objectNumber < 0 || cel.objectNumber >= configuration.MaxObjects())
        throw EObjectOutOfRange(cel.objectNumber, configuration.MaxObjects() - 1);
    return static_cast<std::size_t>(cel.objectNumber);
}

std::string ImageNameOf(const TKissCel& cel)
{
    return NameLowerCase(StripExtension(cel.fileName));
}
