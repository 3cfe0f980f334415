// The preferences editor's rows: what fills them, what Default proposes and
// what Save writes where.
#include <zentcore/preferences.h>

#include <zentcore/render.h>

#include <zcodec/utilities.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <algorithm>
#include <charconv>

namespace zentcore {

namespace {

using platform::Hive;
using platform::RegKey;

const std::vector<std::string> kAnswers = {"Yes", "No"};
const std::vector<std::string> kResolutions = {"72 dpi (smallest result)", "80 dpi", "90 dpi", "100 dpi",
                                               "120 (perfect view)"};
const std::vector<std::string> kDispositions = {"Document pages in separate HTML files, with navigation",
                                                "Document pages inside a frame, with frame navigator",
                                                "All document pages into one HTML file"};

constexpr const char* kDefaultViewParam =
    "-dNOPAUSE -dBATCH -sDEVICE=bmp16m -dDOINTERPOLATE -dCOLORSCREEN -r120 -dTextAlphaBits=4 -dGraphicsAlphaBits=2";
constexpr const char* kDefaultViewParamBW =
    "-dNOPAUSE -dBATCH -sDEVICE=bmpgray -dDOINTERPOLATE -r120 -dTextAlphaBits=4 -dGraphicsAlphaBits=2";
constexpr const char* kDefaultEmailParam = "-dNOPAUSE -dBATCH -sDEVICE=%device% -dDOINTERPOLATE -dCOLORSCREEN "
                                           "-r%resolution% -dTextAlphaBits=4 -dGraphicsAlphaBits=2";
constexpr const char* kDefaultEmailParamBW =
    "-dNOPAUSE -dBATCH -sDEVICE=%device% -dDOINTERPOLATE -r%resolution% -dTextAlphaBits=4 -dGraphicsAlphaBits=2";

// The string settings of rows 4 to 8, in row order.
constexpr const char* kProcessorValues[] = {"PSProcessor", "PSViewParam", "PSViewParamBW", "PSEmailParam",
                                            "PSEmailParaBW"};

const PreferenceRowInfo kRows[kPreferenceRowCount + 1] = {
    {"", RowEditing::ReadOnly, nullptr},
    {"Temp. working directory", RowEditing::Browse, nullptr},
    {"Base save directory", RowEditing::Browse, nullptr},
    {"User save directory", RowEditing::ReadOnly, nullptr},
    {"Postscript processor", RowEditing::Browse, nullptr},
    {"P/S processor color params.", RowEditing::Text, nullptr},
    {"P/S processor b/w params.", RowEditing::Text, nullptr},
    {"P/S proc. email color params.", RowEditing::Text, nullptr},
    {"P/S proc. email b/w params.", RowEditing::Text, nullptr},
    {"Email attachments resolution", RowEditing::Choice, &kResolutions},
    {"Html export resolution", RowEditing::Choice, &kResolutions},
    {"Html export disposition", RowEditing::Choice, &kDispositions},
    {"Client delay (milliseconds)", RowEditing::Digits, nullptr},
    {"[Exit] enabled", RowEditing::Choice, &kAnswers},
    {"[Email/Html Export] enabled", RowEditing::Choice, &kAnswers},
    {"[Preview] enabled", RowEditing::Choice, &kAnswers},
    {"[Later] enabled", RowEditing::Choice, &kAnswers},
    {"Wants Receipt", RowEditing::Choice, &kAnswers},
    {"[Tools] enabled", RowEditing::Choice, &kAnswers},
    {"Allow local export", RowEditing::Choice, &kAnswers},
    {"Archive Documents", RowEditing::Choice, &kAnswers},
    {"Read only Printer address", RowEditing::Choice, &kAnswers},
    {"Save last Request Address", RowEditing::Choice, &kAnswers},
    {"List of Request Addresses", RowEditing::BrowseOnly, nullptr},
    {"New Password", RowEditing::Password, nullptr},
};

std::string answer(bool on) { return on ? kAnswers[0] : kAnswers[1]; }
bool isYes(const std::string& row) { return row == kAnswers[0]; }

// The number a resolution entry starts with; 0 when it starts with none.
std::uint32_t leadingNumber(std::string_view text) {
    const std::string trimmed = encdec::Trim(text);
    std::uint32_t n = 0;
    std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), n);
    return n;
}

void fillResolution(const RegKey& key, const char* name, std::string& row) {
    const auto dpi = key.readDword(name);
    if (!dpi) return;
    for (const std::string& entry : kResolutions)
        if (leadingNumber(entry) == *dpi) row = entry;
}

std::string joined(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& a : addresses) text += (text.empty() ? "" : "; ") + a;
    return text;
}

std::vector<std::string> splitAddresses(const std::string& row) {
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start <= row.size()) {
        const std::size_t end = std::min(row.find(';', start), row.size());
        addresses.push_back(encdec::Trim(row.substr(start, end - start)));
        start = end + 1;
    }
    return addresses;
}

bool writeMachineValues(const PreferenceRows& rows, const ClientSettings& s, const MenuSwitches& switches) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, kClientKey);
    if (!key) return false;
    bool ok = key->writeString("FirstTempDir", s.FirstTempDir) && key->writeString("ClientSaveDir", s.ClientSaveDir);
    for (int i = 0; i < 5 && ok; ++i) ok = key->writeString(kProcessorValues[i], rows[kRowProcessor + i]);
    const auto& dispositions = kDispositions;
    const auto found = std::find(dispositions.begin(), dispositions.end(), rows[kRowHtmlDisposition]);
    const std::int32_t disposition = found == dispositions.end() ? -1 : std::int32_t(found - dispositions.begin());
    ok = ok && key->writeString("ClientDelay", std::to_string(s.ClientDelay)) &&
         key->writeDword("PSEmailDpi", leadingNumber(rows[kRowEmailDpi])) &&
         key->writeDword("PSHtmlDpi", leadingNumber(rows[kRowHtmlDpi])) &&
         key->writeDword("HtmlDisposition", std::uint32_t(disposition));
    const std::pair<const char*, bool> flags[] = {
        {"Preview_En", s.Preview_En},       {"Later_En", s.Later_En},      {"Email_En", s.Email_En},
        {"Exit_En", switches.exitEnabled},  {"Tools_En", switches.toolsEnabled},
        {"ArchiveDocs", s.ArchiveDocs},     {"SaveRqAddr", s.SaveRqAddr},  {"AddrReadOnly", s.AddrReadOnly},
        {"LocalExport", s.LocalExport},     {"WantsReceipt", s.WantsReceipt},
    };
    for (const auto& [name, on] : flags) ok = ok && key->writeDword(name, on ? 1 : 0);
    if (ok && !rows[kRowPassword].empty())
        ok = key->writeString("AdminPass", EncodeAdminPassword(rows[kRowPassword]));
    return ok;
}

}  // namespace

const PreferenceRowInfo& PreferenceRowOf(int row) { return kRows[std::clamp(row, 0, kPreferenceRowCount)]; }
const std::vector<std::string>& PreferenceAnswers() { return kAnswers; }
const std::vector<std::string>& PreferenceResolutions() { return kResolutions; }
const std::vector<std::string>& PreferenceDispositions() { return kDispositions; }

std::string UserSaveDirFor(const std::string& baseSaveDir, const std::string& userName) {
    return platform::joinPath(baseSaveDir, userName);
}

void FillPreferenceRows(const ClientSettings& s, const MenuSwitches& switches, PreferenceRows& rows) {
    rows[kRowWorkDir] = s.FirstTempDir;
    rows[kRowBaseSaveDir] = s.ClientSaveDir;
    rows[kRowUserSaveDir] = s.UserSaveDir;
    if (auto key = RegKey::openReadOnly(Hive::LocalMachine, kClientKey)) {
        for (int i = 0; i < 5; ++i) rows[kRowProcessor + i] = key->readString(kProcessorValues[i]);
        // A value never stored (a machine whose preferences were never saved)
        // leaves its row; the rows after it are filled all the same.
        fillResolution(*key, "PSEmailDpi", rows[kRowEmailDpi]);
        fillResolution(*key, "PSHtmlDpi", rows[kRowHtmlDpi]);
        if (const auto disposition = key->readDword("HtmlDisposition"); disposition && *disposition <= 2)
            rows[kRowHtmlDisposition] = kDispositions[*disposition];
    }
    rows[kRowExit] = answer(switches.exitEnabled);
    rows[kRowEmail] = answer(s.Email_En);
    rows[kRowPreview] = answer(s.Preview_En);
    rows[kRowLater] = answer(s.Later_En);
    rows[kRowReceipt] = answer(s.WantsReceipt);
    rows[kRowTools] = answer(switches.toolsEnabled);
    rows[kRowLocalExport] = answer(s.LocalExport);
    rows[kRowArchive] = answer(s.ArchiveDocs);
    rows[kRowAddrReadOnly] = answer(s.AddrReadOnly);
    rows[kRowSaveAddr] = answer(s.SaveRqAddr);
    rows[kRowClientDelay] = std::to_string(s.ClientDelay);
    rows[kRowAddresses] = joined(LoadRequestAddresses());
    rows[kRowPassword].clear();
}

void ProposeDefaultPreferences(const std::string& appDir, PreferenceRows& rows) {
    rows[kRowWorkDir] = platform::joinPath(appDir, "PSTemp");
    if (encdec::Trim(rows[kRowProcessor]).empty()) rows[kRowProcessor] = std::string(kProposedProcessor);
    rows[kRowViewParam] = kDefaultViewParam;
    rows[kRowViewParamBW] = kDefaultViewParamBW;
    rows[kRowEmailParam] = kDefaultEmailParam;
    rows[kRowEmailParamBW] = kDefaultEmailParamBW;
    rows[kRowEmailDpi] = kResolutions.back();
    rows[kRowHtmlDpi] = kResolutions.front();
    rows[kRowHtmlDisposition] = kDispositions.front();
    rows[kRowClientDelay] = "0";
    for (int row = kRowExit; row <= kRowArchive; ++row) rows[row] = kAnswers[0];
    rows[kRowSaveAddr] = kAnswers[0];
    rows[kRowAddrReadOnly] = kAnswers[1];
}

LoginResult CheckAdministratorLogin(std::string_view typed) {
    auto key = RegKey::openReadOnly(Hive::LocalMachine, kClientKey);
    if (!key) return LoginResult::NoSettings;
    std::string stored;
    if (key->valueExists("AdminPass")) {
        const auto value = key->tryReadString("AdminPass");
        if (!value) return LoginResult::ReadFailed;
        stored = *value;
    }
    return EncodeAdminPassword(typed) == stored ? LoginResult::Accepted : LoginResult::Refused;
}

bool SavePreferences(const PreferenceRows& rows, ClientSettings& s, MenuSwitches& switches) {
    s.FirstTempDir = rows[kRowWorkDir];
    s.ClientSaveDir = rows[kRowBaseSaveDir];
    s.UserSaveDir = UserSaveDirFor(rows[kRowBaseSaveDir], s.UserName);
    s.Preview_En = isYes(rows[kRowPreview]);
    s.Later_En = isYes(rows[kRowLater]);
    s.Email_En = isYes(rows[kRowEmail]);
    s.WantsReceipt = isYes(rows[kRowReceipt]);
    s.ArchiveDocs = isYes(rows[kRowArchive]);
    s.AddrReadOnly = isYes(rows[kRowAddrReadOnly]);
    s.SaveRqAddr = isYes(rows[kRowSaveAddr]);
    s.LocalExport = isYes(rows[kRowLocalExport]);
    switches.toolsEnabled = isYes(rows[kRowTools]);
    switches.exitEnabled = isYes(rows[kRowExit]);
    // As the start-up load reads it: a delay is never negative.
    const auto delay = encdec::ParseInt(rows[kRowClientDelay]);
    s.ClientDelay = delay && *delay > 0 ? *delay : 0;
    if (!writeMachineValues(rows, s, switches)) return false;
    SaveRequestAddresses(splitAddresses(rows[kRowAddresses]));
    return true;
}

}  // namespace zentcore
