#include "Deflated.h"

#include "imaging/StreamErrors.h"

#include <zlib.h>

std::string Deflated(const std::string& bytes)
{
    std::string packed(compressBound(static_cast<uLong>(bytes.size())), '\0');
    uLongf size = static_cast<uLongf>(packed.size());
    // zlib counts in uLong, which is 32 bits on Windows: the page's pixels are bounded well below.
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw EStreamMemoryError("out of memory: the page cannot be compressed");
    packed.resize(size);
    return packed;
}
