// What the print system's job options say about paper, colour and
// orientation, in the codes of a job description.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentro {

// The code of a paper size name as a PostScript printer description
// ("A4", "Letter", "EnvDL") or PWG media ("iso_a4_210x297mm") spells it;
// nullopt for sizes the description has no code for.
std::optional<int> PaperSizeCode(std::string_view name);

// The defaults of the printer description, where a job sets nothing.
struct PrinterDefaults {
    int paperSize = 9;   // A4
    bool color = true;
};

struct JobLayout {
    int paperSize;
    bool color;
    bool landscape;
};

// From CUPS's option text ("media=A3 PageSize=A3 ColorModel=Gray
// landscape"): PageSize first, else the first known size in media (a comma
// list that may name a tray too); ColorModel or print-color-mode; the
// landscape option or orientation-requested 4 or 5.
JobLayout LayoutOf(const std::string& options, const PrinterDefaults& defaults);

// The defaults of a printer description file (its *DefaultPageSize and
// *DefaultColorModel); the built-in ones where it says nothing or is
// unreadable.
PrinterDefaults ReadPrinterDefaults(const std::string& ppdPath);

}  // namespace zentro
