#include "DollReadmes.h"

#include "DollFiles.h"
#include "platform/Names.h"
#include "platform/TextUtf8.h"

#include "imaging/MemoryStream.h"
#include "platform/Exception.h"

#include <algorithm>

std::vector<std::pair<std::string, std::string>>
DollReadmes(DollFiles& doll, std::vector<std::string>& notes, std::vector<std::string>* loaded)
{
    const std::string folder = DirectoryOf(doll.ConfigurationPath());
    std::vector<std::string> names;
    for (const std::string& file : doll.Files(DollFiles::Reach::Beside, notes))
        if (file.starts_with(folder) &&
            (EndsWithCaseBlind(file, ".txt") || EndsWithCaseBlind(file, ".doc")))
            names.push_back(file.substr(folder.size()));
    std::sort(names.begin(), names.end());
    std::vector<std::pair<std::string, std::string>> readmes;
    MemoryStream stream;
    for (const std::string& name : names) {
        if (readmes.size() == kMaxReadmes) break;
        try {
            doll.Load(name, stream, static_cast<std::int64_t>(kMaxReadmeBytes));
        } catch (const Exception&) {
            continue; // gone, ambiguous or outside the doll's folder: no readme of it
        }
        std::string text(reinterpret_cast<const char*>(stream.Data()),
                         static_cast<std::size_t>(stream.Size()));
        // A report's lines begin so: an earlier run's report beside the doll is none of its texts.
        if (text.empty() || text.find('\0') != std::string::npos ||
            text.starts_with("<PARAM NAME="))
            continue;
        // Lines end in "\n" alone: a browser shows a "\r" as a blank, so a text of "\r" ends is one
        // line.
        const std::string utf8 = TextAsUtf8(text, text.size() == kMaxReadmeBytes);
        std::string lines;
        for (std::size_t i = 0; i < utf8.size(); ++i)
            if (utf8[i] != '\r')
                lines += utf8[i];
            else if (i + 1 == utf8.size() || utf8[i + 1] != '\n')
                lines += '\n';
        readmes.emplace_back(TextAsUtf8(name), std::move(lines));
        if (loaded) loaded->push_back(name);
    }
    return readmes;
}
