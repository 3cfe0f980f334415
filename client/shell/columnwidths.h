// The widths of a list's columns, kept per user under a value name of the
// client's key ("Form1ListView", "ArchiveListView").
#pragma once

#include <string_view>

class QTableWidget;

namespace zentclient {

// Sets the stored widths (each held between 10 and 200); a missing or empty
// value changes nothing.
void LoadColumnWidths(QTableWidget& list, std::string_view valueName);
void SaveColumnWidths(const QTableWidget& list, std::string_view valueName);

}  // namespace zentclient
