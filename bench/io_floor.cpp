// The I/O floor of a conversion run, for scripts/bench.sh: one process that reads each input file
// whole and writes files of the given names and sizes into the output folder, making the
// subfolders their names give, and does nothing else. What a run costs beyond it is its own work.
// Usage: io_floor OUTPUT_DIR INPUT... -- NAME=SIZE...   (NAME relative to OUTPUT_DIR, "/" between
// folders). Each input is read with open, read (one call while it fits the buffer), close; each
// output is written with open (created or emptied), one write, close.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Only the C library: the floor loads nothing a plain C program would not.
namespace {

struct Buffer {
    char* bytes = nullptr;
    std::size_t size = 0;
    bool Grow(std::size_t to)
    {
        void* grown = std::realloc(bytes, to);
        if (!grown) return false;
        bytes = static_cast<char*>(grown);
        size = to;
        return true;
    }
};

int Fail(const char* what, const char* name)
{
    std::fprintf(stderr, "io_floor: %s '%s': %s\n", what, name, std::strerror(errno));
    return 1;
}

// Reads the file whole into buffer, growing it while the file fills it; false on failure.
bool ReadWhole(const char* path, Buffer& buffer)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t got = 0;
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.bytes + got, buffer.size - got)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        got += static_cast<std::size_t>(n);
        if (got < buffer.size) break; // a regular file's short read is its end
        if (!buffer.Grow(2 * buffer.size)) return false;
    }
    return ::close(fd) == 0 && n >= 0;
}

// Makes the folders on the way to name, each once (names come grouped by folder): made holds
// the last name's folder.
bool MakeFolders(int out, char* name, Buffer& made)
{
    char* slash = std::strrchr(name, '/');
    if (!slash) return true;
    const auto length = static_cast<std::size_t>(slash - name);
    if (made.bytes && std::strlen(made.bytes) == length && !std::memcmp(made.bytes, name, length))
        return true;
    for (char* at = name;; ++at) {
        if (*at != '/') continue;
        *at = '\0';
        const bool ok = ::mkdirat(out, name, 0777) == 0 || errno == EEXIST;
        *at = '/';
        if (!ok) return false;
        if (at == slash) break;
    }
    if (made.size <= length && !made.Grow(length + 1)) return false;
    std::memcpy(made.bytes, name, length);
    made.bytes[length] = '\0';
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int split = 2;
    while (split < argc && std::strcmp(argv[split], "--") != 0)
        ++split;
    if (argc < 2 || split == argc) {
        std::fprintf(stderr, "usage: io_floor OUTPUT_DIR INPUT... -- NAME=SIZE...\n");
        return 2;
    }
    Buffer buffer, bytes, made;
    if (!buffer.Grow(1 << 20)) return Fail("out of memory for", argv[1]);
    for (int i = 2; i < split; ++i)
        if (!ReadWhole(argv[i], buffer)) return Fail("cannot read", argv[i]);

    const int out = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (out < 0) return Fail("cannot open", argv[1]);
    for (int i = split + 1; i < argc; ++i) {
        char* size = std::strrchr(argv[i], '=');
        if (!size) return Fail("no size in", argv[i]);
        *size++ = '\0';
        const auto count = static_cast<std::size_t>(std::strtoull(size, nullptr, 10));
        if (bytes.size < count) {
            const std::size_t from = bytes.size;
            if (!bytes.Grow(count)) return Fail("out of memory for", argv[i]);
            std::memset(bytes.bytes + from, 'B', count - from);
        }
        if (!MakeFolders(out, argv[i], made)) return Fail("cannot make the folder of", argv[i]);
        const int fd = ::openat(out, argv[i], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return Fail("cannot create", argv[i]);
        if (::write(fd, bytes.bytes, count) != static_cast<ssize_t>(count))
            return Fail("cannot write", argv[i]);
        if (::close(fd) != 0) return Fail("cannot close", argv[i]);
    }
    return 0;
}
