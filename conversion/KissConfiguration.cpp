#include "KissConfiguration.h"

#include "BufferedTextFile.h"
#include "TextNumbers.h"
#include "TextTokens.h"

#include "platform/Exception.h"

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
    explicit EObjectOutOfRange(std::int32_t object)
        : Exception(FormatMessage("ｵﾌﾞｼﾞｪｸﾄ番号 %d は範囲外です (0 から 255)", IntToText(object)),
                    "object number " + IntToText(object) + " is out of range (0 to 255)")
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

std::int32_t ValueOf(const std::string& text) { return TextToInt(text).value; }

void ReadPositions(std::string line, KissSet& set, int& cursor)
{
    std::string token;
    // No object number can refer past the table, so the list stops there: a line of any length
    // then costs no more than reading it.
    while (!line.empty() && cursor < KissConfiguration::kMaxPositions) {
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

void ReadCelLine(std::string line, TKissCel& cel)
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

    // The rest of the line is searched whole, comments included.
    const std::string& rest = line;
    const auto star = rest.find('*');
    cel.paletteIndex = 0;
    if (star != std::string::npos) {
        const auto colon = rest.find(':', star + 1);
        std::string mark = rest.substr(star + 1, colon == std::string::npos
                                                     ? std::string::npos
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

void ReadConfiguration(BufferedTextFile& file, KissConfiguration& configuration)
{
    KissConfiguration& c = configuration;
    int cursor = 0;
    while (!file.AtEnd()) {
        std::string line = file.ReadLine();
        if (line.empty()) continue;
        const char kind = line[0];
        if (kind == '%') {
            if (c.paletteCount == KissConfiguration::kMaxPalettes)
                throw ETooManyLines("ﾊﾟﾚｯﾄ", "palette", KissConfiguration::kMaxPalettes);
            line.erase(0, 1);
            c.paletteFiles[c.paletteCount++] = TakeToken(line);
        } else if (kind == '#') {
            if (c.celCount == KissConfiguration::kMaxCels)
                throw ETooManyLines("ｾﾙ", "cel", KissConfiguration::kMaxCels);
            ReadCelLine(line.substr(1), c.cels[c.celCount++]);
        } else if (kind == '$') {
            if (c.setCount == KissConfiguration::kMaxSets)
                throw ETooManyLines("ｾｯﾄ", "set", KissConfiguration::kMaxSets);
            line.erase(0, 1);
            KissSet& set = c.sets[c.setCount++];
            set.paletteGroup = static_cast<std::uint8_t>(ValueOf(TakeToken(line)));
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
            if (c.setCount > 0) ReadPositions(line, c.sets[c.setCount - 1], cursor);
        }
    }
}

std::size_t ObjectOf(const TKissCel& cel)
{
    if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
        throw EObjectOutOfRange(cel.objectNumber);
    return static_cast<std::size_t>(cel.objectNumber);
}
