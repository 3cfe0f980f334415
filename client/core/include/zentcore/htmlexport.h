// Exporting a rendered job as HTML pages that show its page images.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

inline constexpr std::string_view kNoHtmlFileMessage = "You need specify a filename first!";
inline constexpr std::string_view kHtmlWriteFailedMessage = "Failed to open HTML file for write!";
inline constexpr std::string_view kNoImagesToExportMessage =
    "The PostScript processor produced no page images, so there is nothing to export.";

// The parts of a chosen target file: directory with its trailing '/' (empty
// when none), base name and extension ("htm" when none). A base of two or
// more characters ending in "1" loses that digit, so choosing the first page
// file of an earlier export reuses its base.
struct HtmlTarget {
    std::string dir, base, ext;
    std::string pagePrefix() const { return dir + base; }   // page images go here
};
HtmlTarget SplitHtmlTarget(std::string_view target);

// Frames, all images on one page, or (any other value) one page per image.
enum class HtmlDisposition { PagePerImage = 0, Frames = 1, OnePage = 2 };
HtmlDisposition HtmlDispositionFromSetting(long value);
// The machine setting HtmlDisposition (0 when missing).
HtmlDisposition StoredHtmlDisposition();

// One HTML file, collected in memory: the head with the document name as its
// title, a body or a frameset, lines ending in CR LF, and the closing credit.
class HtmlDocument {
public:
    HtmlDocument(std::string_view docName, bool frameset);
    void AddLine(std::string_view line);
    std::string Finish() const;

private:
    std::string text_;
    bool frameset_;
};

struct HtmlExportFile {
    std::string path;
    std::string contents;
};
struct HtmlExportPlan {
    std::vector<HtmlExportFile> files;   // in the order they are written
    std::string open;                    // the file shown afterwards; empty when there is none
};
// Every HTML file of an export of `pages` page images named
// target.base + k + ".png" beside them.
HtmlExportPlan PlanHtmlExport(const HtmlTarget& target, int pages, HtmlDisposition disposition,
                              std::string_view docName);
// Writes the files in order, each replaced atomically. False after showing
// kHtmlWriteFailedMessage at the first that cannot be written (the earlier
// ones stay).
bool WriteHtmlExport(const HtmlExportPlan& plan);

}  // namespace zentcore
