#include "CheckDoll.h"

#include "BufferedTextFile.h"
#include "DollFiles.h"
#include "KissConfiguration.h"
#include "TextNumbers.h"
#include "TextPaths.h"

#include <memory>
#include <set>

DollCheck CheckDoll(DollFiles& doll)
{
    auto c = std::make_unique<KissConfiguration>();
    {
        BufferedTextFile file;
        doll.OpenConfiguration(file);
        ReadConfiguration(file, *c);
        file.Close();
    }
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
    for (const std::string& name : names) {
        if (!asked.insert(name).second) continue;
        const NameLookup found = doll.LookUp(name);
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
    for (const std::string& file : doll.Files())
        if (!used.count(shown(file))) unnamed.insert(shown(file));
    for (const std::string& file : unnamed)
        check.findings.push_back("unnamed " + file);

    for (int i = 0; i < c->celCount; ++i) {
        const TKissCel& cel = c->cels[i];
        if (cel.objectNumber < 0 || cel.objectNumber >= c->MaxObjects())
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
    return check;
}
