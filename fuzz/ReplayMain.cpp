// Runs a fuzz harness without libFuzzer over the files in the folders named, in order. "--sweep N" also runs up to N
// variants of each: its bytes replaced in turn by ~b, 0x00, 0xFF and bytes the readers give meaning to, and the input
// cut short, at places spread evenly over the whole input. A finding aborts, as in the fuzzer, after naming the input.
#include "Fuzz.h"

// Present in sanitizer builds only: lets a sanitizer's report name the input too.
extern "C" void __sanitizer_set_death_callback(void (*)()) __attribute__((weak));

// Line ends, Ctrl-Z, blanks, configuration syntax, path parts, signs, digits.
static const std::string kHostile = "\r\n\x1a\t .*:#%$;,()=\\/-+0129AFf";
static std::string current; // the input running, named when it finds something
static void (*const NameInput)() = [] { std::fprintf(stderr, "replay: finding in %s\n", current.c_str()); };

int main(int argc, char** argv)
{
    std::signal(SIGABRT, [](int) { NameInput(); });
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(NameInput);
    const bool sweeping = argc > 2 && std::string(argv[1]) == "--sweep";
    const std::size_t sweep = sweeping ? std::stoul(argv[2]) : 0;
    std::vector<std::filesystem::path> inputs;
    for (int i = sweeping ? 3 : 1; i < argc; ++i)
        std::copy(std::filesystem::directory_iterator(argv[i]), {}, std::back_inserter(inputs));
    std::sort(inputs.begin(), inputs.end());
    std::size_t runs = 0;
    for (const auto& input : inputs) {
        const std::string seed = ReadText(input);
        const auto run = [&](const std::string& bytes, const std::string& what) {
            current = input.string() + what;
            ++runs;
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        };
        run(seed, "");
        // Kinds of variant at a place: the three values of its own, each hostile byte, a cut there. Every kind at
        // every place when they fit in N; else N places spread evenly, the kind turning from one to the next.
        const std::size_t kinds = 3 + kHostile.size() + 1, all = seed.size() * kinds;
        for (std::size_t k = 0; k < std::min(sweep, all); ++k) {
            const std::size_t at = sweep >= all ? k / kinds : k * seed.size() / sweep, kind = k % kinds;
            const std::string own = {static_cast<char>(~seed[at]), '\0', '\xff'}, values = own + kHostile;
            if (kind == kinds - 1)
                run(seed.substr(0, at), " cut to " + std::to_string(at));
            else if (values[kind] != seed[at])
                run(std::string(seed).replace(at, 1, 1, values[kind]),
                    " byte " + std::to_string(at) + " = " + std::to_string(values[kind] & 0xFF));
        }
    }
    std::fprintf(stderr, "replay: %zu inputs, %zu runs, no finding\n", inputs.size(), runs);
}
