#include "FkissJson.h"

#include "JsonString.h"
#include "fkiss/FkissWords.h"

namespace {

std::string ArgumentsJson(const std::vector<FkissValue>& arguments)
{
    static constexpr const char* kKinds[] = {"n", "c", "o", "v", "l", "s"};
    std::string text = "[";
    for (const FkissValue& v : arguments) {
        const bool named = v.kind == FkissValue::Kind::Cel ||
                           v.kind == FkissValue::Kind::Variable ||
                           v.kind == FkissValue::Kind::Text ||
                           (v.kind == FkissValue::Kind::Label && !v.text.empty());
        text += (text.size() > 1 ? ",[\"" : "[\"") + std::string(kKinds[static_cast<int>(v.kind)]) +
                "\"," + (named ? JsonString(v.text) : std::to_string(v.number)) + "]";
    }
    return text + "]";
}

} // namespace

std::string ProgramJson(const FkissProgram& program)
{
    std::string json = "[";
    for (const FkissEvent& event : program.events) {
        std::string actions = "[";
        for (const FkissAction& a : event.actions)
            actions += (actions.size() > 1 ? ",[" : "[") + JsonString(a.name) + "," +
                       ArgumentsJson(a.arguments) + "," + std::to_string(a.line) + "]";
        json += (json.size() > 1 ? ",\n[" : "[") + JsonString(event.name) + "," +
                ArgumentsJson(event.arguments) + "," + std::to_string(event.line) + "," + actions +
                "]]";
    }
    return json + "]";
}

std::string PageWordsJson()
{
    std::string events = "{", actions = "{";
    for (const FkissWord& word : FkissWords()) {
        std::string& json = word.event ? events : actions;
        if (word.page)
            json += (json.size() > 1 ? "," : "") + JsonString(std::string(word.name)) + ":" +
                    JsonString(std::string(word.parameters));
    }
    return "{\"events\":" + events + "},\"actions\":" + actions + "}}";
}
