#pragma once
// What the harnesses and the replay program share: the layers under test, the test helpers, the library parts.
#include "support/RecordingControls.h"
#include "support/TempDir.h"

#include "conversion/BufferedTextFile.h"
#include "doll/CelPaths.h"
#include "conversion/ConvertConfiguration.h"
#include "conversion/KissConfiguration.h"
#include "conversion/TextErrors.h" // and platform/Exception.h
#include "conversion/TextNumbers.h"
#include "conversion/TextPaths.h"
#include "conversion/TextTokens.h"
#include "imaging/DecodeCel.h"
#include "imaging/KissHeaders.h"
#include "imaging/TruecolourCel.h"

#include <algorithm>
#include <cassert>
#include <csignal>
#include <cstring>
#include <map>
#include <optional>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The size of the BMP file a cel becomes: 54 bytes of header, 1024 of colours, rows padded to 4 bytes.
inline const auto ImageBytes = [](const CelHeader& h) {
    return (h.xOffset + h.width + 3) / 4 * 4 * std::int64_t{h.yOffset + h.height} + 1078;
};
// The message of the E that f throws, nothing when f returns; any other exception is a finding.
template <class E = Exception, class F> std::optional<std::string> Thrown(F&& f)
try {
    f();
    return std::nullopt;
} catch (const E& e) {
    return e.Message();
}
