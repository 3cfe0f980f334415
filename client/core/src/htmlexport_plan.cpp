// Which HTML files an export writes, and what each holds.
#include <zentcore/htmlexport.h>

#include <zentcore/application.h>
#include <zentcore/settings.h>
#include <zplatform/prompter.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

namespace zentcore {

HtmlTarget SplitHtmlTarget(std::string_view target) {
    HtmlTarget t;
    const auto slash = target.find_last_of('/');
    const std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
    t.dir = std::string(target.substr(0, nameAt));
    const std::string_view name = target.substr(nameAt);
    const auto dot = name.find_last_of('.');
    t.base = std::string(name.substr(0, dot));
    if (dot != std::string_view::npos) t.ext = std::string(name.substr(dot + 1));
    if (t.ext.empty()) t.ext = "htm";
    if (t.base.size() >= 2 && t.base.back() == '1') t.base.pop_back();
    return t;
}

HtmlDisposition HtmlDispositionFromSetting(long value) {
    if (value == 1) return HtmlDisposition::Frames;
    if (value == 2) return HtmlDisposition::OnePage;
    return HtmlDisposition::PagePerImage;
}

HtmlDisposition StoredHtmlDisposition() {
    if (const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, kClientKey))
        if (const auto n = key->readDword("HtmlDisposition")) return HtmlDispositionFromSetting(long(*n));
    return HtmlDisposition::PagePerImage;
}

namespace {

constexpr std::string_view kQ = "\"";
constexpr std::string_view kSmallArial = "\"font-family: Arial,Helvetica; font-size: 10pt;\"";

// A file name as a relative reference: anything but letters, digits and
// "-._~" is percent-encoded, so a '#', '?', blank or quote in a name neither
// cuts the link nor the attribute. Plain names stay as they are.
std::string relativeUrl(std::string_view name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string image(const HtmlTarget& t, int k) { return relativeUrl(t.base + std::to_string(k) + ".png"); }

}  // namespace

HtmlExportPlan PlanHtmlExport(const HtmlTarget& t, int pages, HtmlDisposition disposition, std::string_view docName) {
    HtmlExportPlan plan;
    const std::string mainFile = t.dir + t.base + "." + t.ext;
    switch (disposition) {
    case HtmlDisposition::Frames: {
        HtmlDocument frames(docName, true);
        frames.AddLine("<Frame src=" + std::string(kQ) + image(t, 1) + std::string(kQ) +
                       " name=\"imagewin\"  MARGINWIDTH=0 MARGINHEIGHT=0>");
        frames.AddLine("<Frame src=\"" + relativeUrl(t.base + "_nav.htm") +
                       "\" name=\"navwin\" MARGINWIDTH=10 MARGINHEIGHT=4>");
        HtmlDocument nav(docName, false);
        nav.AddLine("<DIV style=" + std::string(kSmallArial) + ">Page ");
        for (int k = 1; k <= pages; ++k) {
            if (k > 1) nav.AddLine("<b>|</b>");
            nav.AddLine("<b><a href=\"" + image(t, k) + "\" target=\"imagewin\">" + std::to_string(k) + "</a></b>");
        }
        nav.AddLine("</DIV>");
        plan.files.push_back({mainFile, frames.Finish()});
        plan.files.push_back({t.dir + t.base + "_nav.htm", nav.Finish()});
        plan.open = mainFile;
        break;
    }
    case HtmlDisposition::OnePage: {
        HtmlDocument all(docName, false);
        for (int k = 1; k <= pages; ++k) all.AddLine("<img src=\"" + image(t, k) + "\"><P></P>");
        plan.files.push_back({mainFile, all.Finish()});
        plan.open = mainFile;
        break;
    }
    case HtmlDisposition::PagePerImage:
        for (int k = 1; k <= pages; ++k) {
            HtmlDocument page(docName, false);
            page.AddLine("<img src=\"" + image(t, k) + "\"><P style=" + std::string(kSmallArial) + ">Page ");
            for (int j = 1; j <= pages; ++j) {
                if (j > 1) page.AddLine("<b>|</b>");
                if (j == k)
                    page.AddLine("<b>" + std::to_string(j) + "</b>");
                else
                    page.AddLine("<b><a href=\"" + relativeUrl(t.base + std::to_string(j) + "." + t.ext) + "\">" +
                                 std::to_string(j) + "</a></b>");
            }
            page.AddLine("</P>");
            plan.files.push_back({t.dir + t.base + std::to_string(k) + "." + t.ext, page.Finish()});
        }
        if (pages >= 1) plan.open = plan.files.front().path;
        break;
    }
    return plan;
}

bool WriteHtmlExport(const HtmlExportPlan& plan) {
    for (const auto& file : plan.files) {
        if (!platform::writeFileAtomically(file.path, file.contents)) {
            platform::prompter().warn(kApplicationTitle, kHtmlWriteFailedMessage);
            return false;
        }
    }
    return true;
}

}  // namespace zentcore
