// Where the preview draws a printer's printable area onto a page image.
#pragma once

#include <zcodec/printerdata.h>

#include <optional>

namespace zentcore {

// Lines at x1, x2 (running down to lineEndY) and y1, y2 (running right to
// lineEndX), in the image's pixels: integer arithmetic, multiplied first,
// truncated. The line ends are the paper size values themselves, beyond any
// image, so the lines reach its edges. nullopt without a printer (paper
// width or height 0).
struct PageBorders {
    long long x1, y1, x2, y2;
    long long lineEndX, lineEndY;
};
std::optional<PageBorders> ComputePageBorders(long long width, long long height, const encdec::TPageGeometry& page);

}  // namespace zentcore
