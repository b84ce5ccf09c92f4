// What the browser app asks the WebAssembly module besides kiss2bmp's own command line (which it
// runs through main): an archive's configurations, to list them before choosing one (--cnf).
#include "doll/DollFiles.h"
#include "OneDoll.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

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
    char* out = static_cast<char*>(std::malloc(result.size() + 1));
    if (out) std::memcpy(out, result.c_str(), result.size() + 1);
    return out;
}

} // extern "C"
