// What the browser app asks the WebAssembly module besides kiss2bmp's own command line (which it
// runs through main): an archive's configurations, to list them before choosing one (--cnf), and
// the folders a run over several dolls gives them, to find the doll a gallery's link leads to.
#include "Batch.h"
#include "OneDoll.h"
#include "doll/DollFiles.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

// text as a C string the caller frees with free(), or null when there is no memory for it.
char* Copied(const std::string& text)
{
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out) std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

} // namespace

extern "C" {

// The configurations of the archive at path on the in-memory file system, one a line, or, when it
// cannot be read, "!" and the message kiss2bmp gives; to be freed with free().
char* kiss_configurations(const char* path)
{
    std::string result;
    try {
        const auto doll = OpenDoll(path, "/");
        for (const std::string& name : doll->Configurations())
            result += name + "\n";
    } catch (const Exception& e) {
        result = "!" + FailureText(e);
    } catch (const std::bad_alloc&) {
        result = "!" + FailureText(EOutOfMemory());
    }
    return Copied(result);
}

// The folders a run over several dolls gives them (kind 0: names, the dolls' paths) or, in a doll's
// folder, the configurations of an archive that holds several (kind 1: names, its members); names
// and the result one a line, the result to be freed with free().
char* kiss_folders(const char* names, int kind)
{
    try {
        // Split by hand: a string stream would bring some 90 KB of locales into the module.
        std::vector<std::string> given;
        for (const char* at = names; *at;) {
            const char* end = at + std::strcspn(at, "\n");
            given.emplace_back(at, end);
            at = *end ? end + 1 : end;
        }
        std::string result;
        for (const std::string& folder :
             kind == 0 ? DollFolders(given) : ConfigurationFolders(given))
            result += folder + "\n";
        return Copied(result);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // extern "C"
