#include <zentcore/pageborders.h>

namespace zentcore {

std::optional<PageBorders> ComputePageBorders(long long width, long long height, const encdec::TPageGeometry& page) {
    const long long pw = page.PaperWidth, ph = page.PaperHeight;
    if (pw == 0 || ph == 0) return std::nullopt;
    PageBorders b{};
    b.x1 = width * page.Margin.Left / pw;
    b.y1 = height * page.Margin.Top / ph;
    b.x2 = width * (pw - page.Margin.Right) / pw;
    b.y2 = height * (ph - page.Margin.Bottom) / ph;
    b.lineEndX = pw;
    b.lineEndY = ph;
    return b;
}

}  // namespace zentcore
