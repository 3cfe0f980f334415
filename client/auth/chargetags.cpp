#include "auth/chargetags.h"

#include <zentcore/pageproducer.h>

namespace zentclient {

std::string ProduceChargeTags(std::string_view page, const zentcore::ChargeFigures& figures) {
    const struct {
        const char* tag;
        double value;
    } tags[] = {
        {"AMOUNT", figures.amount},
        {"TAXAMOUNT", figures.taxAmount},
        {"PRICEPERPAGE", figures.pricePerPage},
        {"MINIMUMCHARGE", figures.minimumCharge},
        {"TAXPERCENTAGE", figures.taxPercentage},
    };
    return zentcore::PageProducer::Content(page, [&tags](const zentcore::PageTag& tag) -> std::optional<std::string> {
        for (const auto& t : tags)
            if (tag.Name == t.tag) return zentcore::FormatCharge(t.value);
        return std::nullopt;
    });
}

}  // namespace zentclient
