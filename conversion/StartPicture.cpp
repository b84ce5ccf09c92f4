#include "StartPicture.h"

#include "CelDecoder.h"

#include "fkiss/DollState.h"

SetPicture StartPicture(const KissConfiguration& c, const DollState& start, CelDecoder& cels,
                        FirstPalette& firstPalette)
{
    const int group = start.paletteGroup[start.set];
    SetPicture picture(c.playWidth, c.playHeight, firstPalette.Colour(group, 0));
    for (int j = c.celCount - 1; j >= 0; --j) {
        const TKissCel& cel = c.cels[j];
        if (!cel.inSet[start.set] || !start.cels[j].mapped) continue;
        const KissPosition& at = start.positions[start.set].at(ObjectOf(cel, c));
        if (at.x == -1 && at.y == -1) continue;
        const auto opacity = static_cast<std::uint8_t>(255 - start.cels[j].transparency);
        const CelDecoder::Decoded decoded = cels.Decode(cel, group);
        const std::int32_t x = at.x + decoded.x, y = at.y + decoded.y;
        if (decoded.truecolour)
            picture.DrawOver(*decoded.truecolour, x, y, opacity);
        else
            picture.DrawOver(decoded.image, x, y, opacity);
    }
    return picture;
}
