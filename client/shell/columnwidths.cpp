#include "shell/columnwidths.h"

#include <zentcore/settings.h>

#include <QTableWidget>

#include <vector>

namespace zentclient {

void LoadColumnWidths(QTableWidget& list, std::string_view valueName) {
    const auto widths = zentcore::ReadColumnWidths(valueName, std::size_t(list.columnCount()));
    for (std::size_t i = 0; i < widths.size(); ++i) list.setColumnWidth(int(i), widths[i]);
}

void SaveColumnWidths(const QTableWidget& list, std::string_view valueName) {
    std::vector<int> widths;
    for (int i = 0; i < list.columnCount(); ++i) widths.push_back(list.columnWidth(i));
    zentcore::WriteColumnWidths(valueName, widths);
}

}  // namespace zentclient
