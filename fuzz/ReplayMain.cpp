// Runs a fuzz harness without libFuzzer over the files in the folders named, in order. "--sweep N" also runs each with
// each of its first N bytes replaced in turn by ~b, 0x00, 0xFF and bytes the readers give meaning to, and inputs up to
// 64 bytes cut at every length. A finding aborts, as in the fuzzer, after naming the input.
#include "Fuzz.h"

// Present in sanitizer builds only: lets a sanitizer's report name the input too.
extern "C" void __sanitizer_set_death_callback(void (*)()) __attribute__((weak));

// Line ends, Ctrl-Z, blanks, configuration syntax, path parts, signs, digits: all at every byte of short inputs.
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
    for (const auto& input : inputs) {
        const std::string seed = ReadText(input);
        const auto run = [&](const std::string& bytes, const std::string& what) {
            current = input.string() + what;
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        };
        run(seed, "");
        for (std::size_t i = 0; i < std::min(sweep, seed.size()); ++i) {
            std::string variant = seed, values = {static_cast<char>(~seed[i]), '\0', '\xff'};
            for (const char value : values + (seed.size() <= 64 ? kHostile : kHostile.substr(i % kHostile.size(), 1)))
                if (value != seed[i])
                    run(variant.replace(i, 1, 1, value),
                        " byte " + std::to_string(i) + " = " + std::to_string(value & 0xFF));
            if (seed.size() <= 64) run(seed.substr(0, i), " cut to " + std::to_string(i));
        }
    }
    std::fprintf(stderr, "replay: %zu inputs, no finding\n", inputs.size());
}
