// The page of a doll with any title, pixels, names, FKiSS and readmes: valid UTF-8 (IsUtf8 is pinned by the text
// tests), one end of its script, so nothing a doll names ends it early. Input: separator, title and names between them.
#include "Fuzz.h"

#include "web/DollPage.h"
#include "platform/TextUtf8.h"
#include "web/PlayPage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1), name;
    DollPage doll;
    SplitAt(rest, static_cast<char>(data[0]), doll.title);
    doll.sets.emplace_back();
    while (!rest.empty()) {
        SplitAt(rest, static_cast<char>(data[0]), name);
        doll.sets[0].cels.push_back({static_cast<int>(doll.images.size()), static_cast<int>(name.size() % 256)});
        doll.images.push_back({1, static_cast<std::int32_t>(name.size()), {}, 0, name, 0, 0, {}, 0});
        doll.sounds.push_back({name, name});
        doll.start.cels.push_back({name, 0});
        doll.start.variables[name] = 1;
        doll.readmes.emplace_back(name, TextAsUtf8(name));
        doll.program.events.push_back(
            {name, {{FkissValue::Kind::Cel, 0, name}}, {{name, {{FkissValue::Kind::Text, 0, name}}}}});
    }
    const std::string page = PlayPage(doll), lower = AsciiLowerCase(page);
    const std::size_t end = lower.find("</script"); // the only one when the last is the first
    assert(IsUtf8(page) && end != std::string::npos && end == lower.rfind("</script"));
    return 0;
}
