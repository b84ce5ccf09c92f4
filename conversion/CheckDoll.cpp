#include "CheckDoll.h"

#include "BufferedTextFile.h"
#include "CelDecoder.h"
#include "DollConfiguration.h"
#include "KissConfiguration.h"
#include "StartState.h"
#include "TextNumbers.h"
#include "TextPaths.h"
#include "doll/DollFiles.h"
#include "fkiss/FkissComponents.h"
#include "fkiss/FkissWords.h"

#include "imaging/DecodeCel.h"
#include "imaging/ImageFileKind.h"
#include "imaging/MemoryStream.h"
#include "imaging/StreamErrors.h"
#include "imaging/TruecolourCel.h"
#include "platform/Exception.h"

#include <map>
#include <memory>
#include <set>

namespace {

std::unique_ptr<KissConfiguration> Read(DollFiles& doll, Reading reading)
{
    auto c = std::make_unique<KissConfiguration>();
    BufferedTextFile file;
    OpenConfiguration(doll, file);
    ReadConfiguration(file, *c, reading);
    file.Close();
    return c;
}

// What viewers show of the doll beyond the designed run: its FKiSS, its cels' forms, the cels
// its start hides.
void CheckAsViewersShowIt(DollFiles& doll, const KissConfiguration& c, int set, DollCheck& check)
{
    const DollStart start = StartOf(c, set);
    std::vector<std::string>& findings = check.findings;
    if (!start.program.level.empty()) findings.push_back("fkiss level " + start.program.level);
    // name: times, first line; of what the page plays but the start picture does not, and of
    // what neither plays, as the word table has it
    std::map<std::string, std::pair<int, int>> leftToThePage, notPlayed;
    const auto pagePlays = [](const std::string& name) {
        const FkissWord* word = FindFkissWord(name);
        return word && word->page;
    };
    std::set<std::string> celNames;
    for (const DollState::Cel& cel : start.state.cels)
        celNames.insert(cel.name);
    std::map<std::string, int> unknownCels; // name: first line
    const auto look = [&](const std::string& name, bool played, int line,
                          const std::vector<FkissValue>& arguments) {
        auto& counts = pagePlays(name) ? leftToThePage : notPlayed;
        if (!played && counts[name].first++ == 0) counts[name].second = line;
        for (const FkissValue& value : arguments)
            if (value.kind == FkissValue::Kind::Cel && !celNames.contains(value.text))
                unknownCels.try_emplace(value.text, line);
    };
    for (const FkissEvent& event : start.program.events) {
        look(event.name, event.played, event.line, event.arguments);
        for (const FkissAction& action : event.actions)
            look(action.name, action.played, action.line, action.arguments);
    }
    for (const auto& [title, counts] : {std::pair{"played by the page only ", &leftToThePage},
                                        std::pair{"not played ", &notPlayed}})
        for (const auto& [name, seen] : *counts)
            findings.push_back(title + name + ": " + IntToText(seen.first) +
                               (seen.first == 1 ? " time" : " times") + ", first on line " +
                               IntToText(seen.second));
    for (const std::string& note : start.notes)
        findings.push_back("fkiss " + note);
    for (const auto& [name, line] : unknownCels)
        findings.push_back("no cel line " + name + " (fkiss line " + IntToText(line) + ")");
    std::set<std::string> looked;
    MemoryStream file;
    for (int i = 0; i < c.celCount; ++i) {
        const std::string& name = c.cels[i].fileName;
        if (!looked.insert(name).second) continue;
        try {
            doll.Load(name, file);
        } catch (const Exception&) {
            continue; // told above
        }
        if (const char* kind = ImageFileKind(file)) {
            findings.push_back("image file " + name + ": " + kind);
            check.bmpRunRefuses = true;
        } else if (IsTruecolourCel(file)) {
            findings.push_back("32-bit cel " + name + ": blank in BMP files, kept by --format png");
        }
    }
    for (int i = 0; i < c.celCount; ++i)
        if (c.cels[i].inSet[start.state.set] && !start.state.cels[i].mapped)
            findings.push_back("hidden at the start " + c.cels[i].fileName);
}

} // namespace

DollCheck CheckDoll(DollFiles& doll, int set)
{
    const auto c = Read(doll, Reading::Viewer);
    const std::string folder = DirectoryOf(doll.ConfigurationPath());
    const auto shown = [&](const std::string& path) {
        return path.starts_with(folder) ? path.substr(folder.size()) : path;
    };

    DollCheck check;
    std::vector<std::string> names(c->paletteFiles.begin(),
                                   c->paletteFiles.begin() + c->paletteCount);
    for (int i = 0; i < c->celCount; ++i)
        names.push_back(c->cels[i].fileName);
    std::set<std::string> asked, used = {shown(doll.ConfigurationPath())};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!asked.insert(name).second) continue;
        const NameLookup found = doll.LookUp(name);
        // A cel line's component is no file: viewers make it, and leave it out of the pictures.
        const bool component = found.kind == NameLookup::Missing &&
                               i >= static_cast<std::size_t>(c->paletteCount) &&
                               IsComponentName(name);
        if (component) {
            check.findings.push_back("component " + name);
            continue;
        }
        std::string line;
        switch (found.kind) {
        case NameLookup::AsWritten:
            line = "found " + name;
            break;
        case NameLookup::OtherCase:
            line = "case " + name + " -> " + shown(found.path);
            break;
        case NameLookup::Ambiguous: {
            line = "ambiguous " + name + " ->";
            std::set<std::string> candidates;
            for (const std::string& candidate : found.candidates)
                candidates.insert(shown(candidate));
            for (const std::string& candidate : candidates)
                line += " " + candidate;
            break;
        }
        case NameLookup::Missing:
            line = "missing " + name;
            break;
        }
        check.findings.push_back(line);
        const bool ok = found.kind == NameLookup::AsWritten || found.kind == NameLookup::OtherCase;
        check.allFound = check.allFound && ok;
        if (ok) used.insert(shown(found.path));
    }
    std::set<std::string> unnamed; // sorted, whatever order the folder or archive holds them in
    std::vector<std::string> notes;
    for (const std::string& file : doll.Files(DollFiles::Reach::Below, notes))
        if (!used.count(shown(file))) unnamed.insert(shown(file));
    for (const std::string& file : unnamed)
        check.findings.push_back("unnamed " + file);
    check.findings.insert(check.findings.end(), notes.begin(), notes.end());

    for (int i = 0; i < c->celCount; ++i) {
        const TKissCel& cel = c->cels[i];
        // As designed, objects 0 to 255 have a place in a set.
        if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
            check.findings.push_back("object out of range #" + IntToText(cel.objectNumber) + " " +
                                     cel.fileName);
        if (cel.paletteIndex >= c->paletteCount)
            check.findings.push_back("no palette line " + cel.fileName + " *" +
                                     IntToText(cel.paletteIndex));
    }
    for (int set = c->setCount; set < 10; ++set) {
        for (int i = 0; i < c->celCount; ++i) {
            if (c->cels[i].inSet[set]) {
                check.findings.push_back("no set line $" + IntToText(set));
                break;
            }
        }
    }
    CheckAsViewersShowIt(doll, *c, set, check);
    std::vector<std::string> refusals;
    try {
        const auto designed = Read(doll, Reading::Designed);
        MemoryStream file;
        for (int i = 0; i < designed->celCount; ++i) {
            const TKissCel& cel = designed->cels[i];
            const std::string converting = "cannot convert the cel '" + cel.fileName + "'";
            if (cel.objectNumber < 0 || cel.objectNumber >= KissConfiguration::kMaxPositions)
                refusals.push_back("object number " + IntToText(cel.objectNumber) +
                                   " is out of range (0 to 255)");
            else if (cel.paletteIndex >= designed->paletteCount)
                refusals.push_back("the cel " + cel.fileName + " has no palette line");
            else if (cel.inSet[set] && !StaysInside(cel.fileName))
                refusals.push_back(converting + ": its name leads outside the output folder");
            else if (cel.inSet[set] && doll.LookUp(cel.fileName).kind == NameLookup::Missing &&
                     IsComponentName(cel.fileName))
                refusals.push_back("a cel line is an FKiSS 5 component, no file");
            else if (cel.inSet[set]) // the picture the run would make of it, as the run sizes it
                try {
                    Doing(converting, [&] {
                        Doing("cannot open the cel '" + cel.fileName + "'",
                              [&] { doll.Load(cel.fileName, file); });
                        if (!ImageFileKind(file)) RequireDesignedPicture(cel.fileName, file);
                    });
                } catch (const EStreamMemoryError& e) {
                    refusals.push_back(e.English());
                } catch (const ENegativeOffsets& e) {
                    refusals.push_back(e.English());
                } catch (const Exception&) {
                    // missing or no cel: told above
                }
        }
    } catch (const Exception& e) {
        refusals.push_back(e.English());
    }
    if (check.bmpRunRefuses) refusals.push_back("a cel is an image file");
    std::set<std::string> told;
    for (const std::string& reason : refusals)
        if (told.insert(reason).second)
            check.findings.push_back("refused by the BMP run: " + reason);
    check.bmpRunRefuses = !refusals.empty();
    return check;
}
