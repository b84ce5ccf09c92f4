#include "CelDecoder.h"

#include "RunOutput.h"

#include "doll/DollFiles.h"
#include "fkiss/FkissComponents.h"
#include "imaging/DecodeCel.h"
#include "imaging/GifDecoder.h"
#include "imaging/ImageFileKind.h"
#include "imaging/JpegDecoder.h"
#include "imaging/KissHeaders.h"
#include "imaging/PngDecoder.h"
#include "imaging/SetPicture.h"
#include "imaging/StreamErrors.h"
#include "imaging/TruecolourCel.h"
#include "platform/Exception.h"

#include <algorithm>

namespace {

class ECelIsAnImageFile : public Exception {
public:
    ECelIsAnImageFile(const std::string& name, const std::string& kind)
        : Exception(FormatMessage("ｾﾙ %s は " + kind + " 画像ﾌｧｲﾙです", name),
                    "'" + name + "' is a " + kind + " image, not a KiSS cel")
    {
    }
};

void DecodeImageFile(const std::string& kind, MemoryStream& file, RgbaFrames& frames)
{
    if (kind == "GIF")
        DecodeGif(file, frames);
    else if (kind == "JPEG")
        DecodeJpeg(file, frames);
    else
        DecodePng(file, frames);
}

ColourScale ScaleOf(const KissConfiguration& c)
{
    return c.reading == Reading::Viewer ? ColourScale::Viewer : ColourScale::Designed;
}

} // namespace

// An index without a "%" line names the configuration's folder itself, which fails to open.
std::string PaletteNameOf(const KissConfiguration& c, const TKissCel& cel)
{
    const bool listed = cel.paletteIndex < KissConfiguration::kMaxPalettes;
    return listed ? c.paletteFiles[cel.paletteIndex] : "";
}

CelDecoder::Decoded CelDecoder::Decode(const TKissCel& cel, int group)
{
    const std::string& name = cel.fileName;
    return Doing("cannot convert the cel '" + name + "'", [&]() -> Decoded {
        output_.RequireInside(name);
        ObjectOf(cel, configuration_);
        const bool viewer = configuration_.reading == Reading::Viewer;
        if (LeftOut(cel)) {
            last_.reset();
            image_.SetSize(0, 0);
            truecolour_.SetSize(0, 0);
            return {image_, &truecolour_, false, 0, 0, true};
        }
        std::tuple key{name, int{cel.paletteIndex}, group};
        if (viewer && last_ && key == lastKey_) return *last_;
        last_.reset();
        Doing("cannot open the cel '" + name + "'", [&] { doll_.Load(name, cel_); });
        const char* kind = ImageFileKind(cel_);
        if (kind && !viewer) throw ECelIsAnImageFile(name, kind);
        if (kind) {
            if (!std::count(imageFileCels_.begin(), imageFileCels_.end(), name))
                imageFileCels_.push_back(name);
            DecodeImageFile(kind, cel_, frames_);
            const RgbaImage& first = frames_.Frames().front();
            image_.SetSize(first.Width(), first.Height());
            lastKey_ = std::move(key);
            return last_.emplace(Decoded{image_, &first, false, 0, 0, false, &frames_});
        }
        const CelOrigin origin = viewer ? TakeNegativeOffsets(cel_) : CelOrigin{};
        const bool truecolour = IsTruecolourCel(cel_);
        if (truecolour && !std::count(truecolourCels_.begin(), truecolourCels_.end(), name))
            truecolourCels_.push_back(name);
        const std::string palette = PaletteNameOf(configuration_, cel);
        if (truecolour && viewer && palette.empty())
            palette_.SetSize(0);
        else
            Doing(palette.empty() ? "cannot open the palette of the cel '" + name +
                                        "' (no palette line has its number)"
                                  : "cannot open the palette '" + palette + "'",
                  [&] { doll_.Load(palette, palette_); });
        if (!viewer) RequireDesignedPicture(name, cel_);
        DecodeCel(image_, cel_, palette_, static_cast<std::uint8_t>(16 * group),
                  ScaleOf(configuration_));
        cel_.Seek(0);
        const bool nibbles = ReadCelHeader(cel_).bitsPerPixel == 4;
        if (!viewer) return {image_, nullptr, nibbles};
        if (truecolour) {
            cel_.Seek(0);
            DecodeTruecolourCel(truecolour_, cel_);
        }
        lastKey_ = std::move(key);
        return last_.emplace(Decoded{image_, truecolour ? &truecolour_ : nullptr,
                                     !truecolour && nibbles, origin.x, origin.y});
    });
}

bool CelDecoder::LeftOut(const TKissCel& cel)
{
    const std::string& name = cel.fileName;
    if (configuration_.reading != Reading::Viewer || !StaysInside(name)) return false;
    const auto [found, added] = leftOut_.try_emplace(name, false);
    if (!added || doll_.LookUp(name).kind != NameLookup::Missing) return found->second;
    (IsComponentName(name) ? components_ : missingCels_).push_back(name);
    return found->second = true;
}

void RequireDesignedPicture(const std::string& name, MemoryStream& cel)
{
    if (CelPictureFits(cel)) return;
    const CelHeader h = ReadCelHeader(cel);
    const std::int32_t x = SignedOffset(h.xOffset), y = SignedOffset(h.yOffset);
    if (h.headed && (x < 0 || y < 0) && TBmp256Image::Fits(h.width, h.height))
        throw ENegativeOffsets(name, "(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    throw EStreamMemoryError();
}

TBmp256Image::Colour FirstPalette::Colour(int group, int index)
{
    if (configuration_.paletteCount == 0) return {};
    const std::string& name = configuration_.paletteFiles[0];
    if (!read_)
        Doing("cannot open the palette '" + name + "'", [&] { doll_.Load(name, palette_); });
    read_ = true;
    return PaletteColour(palette_, group, index, ScaleOf(configuration_));
}
