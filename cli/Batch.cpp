#include "Batch.h"

#include "OneDoll.h"

#include "conversion/TextPaths.h"
#include "doll/CelPaths.h"
#include "doll/DollFiles.h"
#include "imaging/MemoryStream.h"
#include "web/Gallery.h"

#include "platform/File.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <thread>
#include <vector>

namespace {

// One configuration of a batch as it is told: named in messages after the doll as given, or
// ARCHIVE/MEMBER for one of several; its card on the gallery, or why it failed (in English).
struct Converted {
    std::string label;
    GalleryDoll card;
    Printed printed;
    std::string failure;
};

// Names of folders of their own for the bases given, in their order: each base (cnf when empty),
// numbered when an earlier one has it without regard to case, or when it is the reserved name.
std::vector<std::string> FolderNames(const std::vector<std::string>& bases,
                                     const std::string& reserved = "")
{
    std::vector<std::string> names;
    const auto taken = [&](const std::string& name) {
        return AsciiLowerCase(name) == reserved ||
               std::any_of(names.begin(), names.end(), [&](const std::string& other) {
                   return AsciiLowerCase(other) == AsciiLowerCase(name);
               });
    };
    for (const std::string& given : bases) {
        const std::string base = given.empty() ? "cnf" : given;
        std::string name = base;
        for (int n = 2; taken(name); ++n)
            name = base + "-" + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

} // namespace

std::vector<std::string> DollFolders(const std::vector<std::string>& dolls)
{
    std::vector<std::string> bases;
    for (const std::string& doll : dolls)
        bases.push_back(StripExtension(doll.substr(DirectoryOf(doll).size())));
    return FolderNames(bases, "index.html");
}

std::vector<std::string> ConfigurationFolders(const std::vector<std::string>& members)
{
    std::vector<std::string> bases;
    for (const std::string& member : members)
        bases.push_back(BaseName(StripExtension(NativeName(member))));
    return FolderNames(bases);
}

namespace {

// Runs step for one configuration: a failure becomes its message, its status and its reason;
// what it noticed before goes unsaid, as for one doll.
template <class Step> void Attempt(Converted& converted, Step&& step)
{
    const auto failed = [&](const Exception& e) {
        converted.failure = e.English();
        converted.printed.status = 1;
        converted.printed.err = FailureText(e, converted.label);
    };
    try {
        step();
    } catch (const Exception& e) {
        failed(e);
    } catch (const std::bad_alloc&) {
        failed(EOutOfMemory());
    }
}

// Converts a doll into the folder name in top (the output folder): the doll itself, or each of
// the configurations of an archive that holds several into a folder of its own there, named as
// its report is. The archive is read again for each configuration after the first.
std::vector<Converted> ConvertInBatch(const Command& command, const platform::Folder& top,
                                      const std::string& doll, const std::string& name)
{
    const std::string output = command.output + platform::kSeparator + name;
    std::vector<Converted> done(1);
    done[0].label = done[0].printed.label = doll;
    done[0].card.name = name;
    platform::Folder folder;
    std::unique_ptr<DollFiles> opened;
    std::vector<std::string> inside;
    Attempt(done[0], [&] {
        folder = top.Enter(name); // never through a link
        if (!folder.IsOpen()) FolderFails(output, true);
        opened = OpenDoll(doll, output);
        inside = opened->Configurations();
        if (inside.size() < 2)
            ConvertOpenDoll(command, std::move(opened), {output, folder}, done[0].printed, nullptr,
                            command.page ? &done[0].card : nullptr);
    });
    if (done[0].printed.status == 0 && inside.size() > 1) {
        done.clear();
        const std::vector<std::string> folders = ConfigurationFolders(inside);
        for (std::size_t i = 0; i < inside.size(); ++i) {
            Converted& one = done.emplace_back();
            one.label = one.printed.label = doll + platform::kSeparator + NativeName(inside[i]);
            one.card.name = name;
            one.card.configuration = inside[i];
            Attempt(one, [&] {
                const std::string path = output + platform::kSeparator + folders[i];
                const platform::Folder sub = folder.Enter(folders[i]);
                if (!sub.IsOpen()) FolderFails(path, true);
                std::unique_ptr<DollFiles> chosen =
                    opened ? std::move(opened) : OpenDoll(doll, path);
                chosen->SelectConfiguration(inside[i]);
                ConvertOpenDoll(command, std::move(chosen), {path, sub}, one.printed, nullptr,
                                command.page ? &one.card : nullptr);
                one.card.pagePath = folders[i] + platform::kSeparator + one.card.pagePath;
            });
        }
    }
    for (Converted& one : done)
        one.card.pagePath = name + platform::kSeparator + one.card.pagePath;
    return done;
}

// A failure's reason as the gallery, which may be put online, shows it: a quoted path of the doll
// as its file name, one in the output folder from there.
std::string Unplaced(std::string reason, const std::string& doll, const std::string& output)
{
    const std::pair<std::string, std::string> replaced[] = {
        {"'" + output + platform::kSeparator, "'"},
        {"'" + doll, "'" + doll.substr(DirectoryOf(doll).size())}};
    for (const auto& [from, to] : replaced)
        for (auto at = reason.find(from); at != std::string::npos; at = reason.find(from, at)) {
            reason.replace(at, from.size(), to);
            at += to.size();
        }
    return reason;
}

// The gallery in the output folder, unless it would replace one of the dolls; false then.
bool WriteGallery(const Command& command, const platform::Folder& top,
                  const std::vector<GalleryDoll>& cards,
                  const std::vector<GalleryFailure>& failures)
{
    const std::string path = command.output + platform::kSeparator + "index.html";
    const auto identity = platform::IdentityOf(path);
    if (identity &&
        std::any_of(command.dolls.begin(), command.dolls.end(), [&](const std::string& doll) {
            return platform::IdentityOf(doll) == identity;
        })) {
        Err("kiss2bmp: the gallery " + Printable(path) + " would replace a doll: not written\n");
        return false;
    }
    MemoryStream page;
    const std::string html = GalleryPage(cards, failures);
    page.Write(reinterpret_cast<const std::uint8_t*>(html.data()), html.size());
    page.SaveToFile(top, "index.html", path);
    if (command.verbose) Out("wrote " + Printable(path) + "\n");
    return true;
}

} // namespace

int RunDolls(const Command& command)
{
    bool made = false;
    const platform::Folder top = OutputFolder(command.output, made);
    const std::vector<std::string> names = DollFolders(command.dolls);
    const int count = static_cast<int>(command.dolls.size());
    std::vector<std::vector<Converted>> results(count); // each written by one worker
    if (made && !command.quiet) Out("made the output folder " + Printable(command.output) + "\n");
    Progress progress(!command.quiet);
    std::atomic<int> next{0}, done{0};
    const auto work = [&] {
        for (int i; (i = next++) < count;) {
            results[i] = ConvertInBatch(command, top, command.dolls[i], names[i]);
            for (const Converted& one : results[i]) {
                std::string lines; // each named after its doll or configuration
                for (std::size_t at = 0, end; at < one.printed.out.size(); at = end + 1) {
                    end = one.printed.out.find('\n', at);
                    lines += Printable(one.label) + ": " + one.printed.out.substr(at, end - at + 1);
                }
                progress.Print(1, lines);
                progress.Print(2, one.printed.err);
            }
            progress.Show("kiss2bmp: dolls", ++done, count);
        }
    };
    std::vector<std::thread> workers;
    for (int n = 1; n < std::min(command.jobs, count); ++n)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    progress.Print(1, "");
    int converted = 0, failed = 0;
    std::vector<GalleryDoll> cards;
    std::vector<GalleryFailure> failures;
    for (int i = 0; i < count; ++i)
        for (const Converted& one : results[i]) {
            ++(one.printed.status == 0 ? converted : failed);
            const std::string& doll = command.dolls[i];
            if (one.printed.status == 0)
                cards.push_back(one.card);
            else
                failures.push_back({doll.substr(DirectoryOf(doll).size()), one.card.configuration,
                                    Unplaced(one.failure, doll, command.output)});
        }
    if (command.page && !WriteGallery(command, top, cards, failures)) ++failed;
    if (!command.quiet || failed > 0)
        Out("dolls: " + std::to_string(converted) + " converted, " + std::to_string(failed) +
            " failed\n");
    return failed > 0 ? 1 : 0;
}
