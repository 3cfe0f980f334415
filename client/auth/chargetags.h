// The tags a plug-in page may carry to show the job's charge: "<#AMOUNT>",
// "<#TAXAMOUNT>", "<#PRICEPERPAGE>", "<#MINIMUMCHARGE>" and
// "<#TAXPERCENTAGE>", each replaced by its figure as "0.00". Other tags are
// left as the server wrote them.
#pragma once

#include <zentcore/authdialogue.h>

#include <string>
#include <string_view>

namespace zentclient {

std::string ProduceChargeTags(std::string_view page, const zentcore::ChargeFigures& figures);

}  // namespace zentclient
