// Counts the pages of PostScript from its document structuring comments
// while the data streams past: "%%Pages: N" (also in the trailer after
// "%%Pages: (atend)"), else the number of "%%Page:" comments. Documents
// embedded between %%BeginDocument and %%EndDocument are not counted.
#pragma once

#include <string>
#include <string_view>

namespace zentro {

class DscPageCounter {
public:
    // Any piece of the data; lines may run across pieces.
    void feed(std::string_view data);
    // The count so far: once the data has ended, the document's.
    int pages() const;

private:
    void endLine();

    std::string line_;        // the start of the current line, enough to know it
    bool lineTooLong_ = false;
    int depth_ = 0;           // of embedded documents
    int pageComments_ = 0;
    int announced_ = -1;      // the last numeric %%Pages:, -1 for none
};

}  // namespace zentro
