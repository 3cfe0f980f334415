// The preferences editor's model: the 24 rows it shows, filled from the
// settings record and the machine hive, the Default proposal, the
// administrator login and Save, which writes the record and the hive together.
#pragma once

#include <zentcore/settings.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

// Rows are counted from 1, as the editor shows them under its title row.
inline constexpr int kPreferenceRowCount = 24;

enum PreferenceRow : int {
    kRowWorkDir = 1, kRowBaseSaveDir, kRowUserSaveDir, kRowProcessor, kRowViewParam, kRowViewParamBW,
    kRowEmailParam, kRowEmailParamBW, kRowEmailDpi, kRowHtmlDpi, kRowHtmlDisposition, kRowClientDelay,
    kRowExit, kRowEmail, kRowPreview, kRowLater, kRowReceipt, kRowTools, kRowLocalExport, kRowArchive,
    kRowAddrReadOnly, kRowSaveAddr, kRowAddresses, kRowPassword,
};

enum class RowEditing {
    Text,        // free text
    Browse,      // free text, with a browse button
    ReadOnly,    // shown only
    BrowseOnly,  // changed only through its browse button
    Choice,      // picked from a list
    Digits,      // up to four digits
    Password,    // at most 20 characters
};

struct PreferenceRowInfo {
    const char* caption;
    RowEditing editing;
    const std::vector<std::string>* choices;   // for Choice rows
};

// Caption, editing rule and choice list of a row (1 to 24).
const PreferenceRowInfo& PreferenceRowOf(int row);

const std::vector<std::string>& PreferenceAnswers();        // "Yes", "No"
const std::vector<std::string>& PreferenceResolutions();    // "72 dpi (smallest result)" ... "120 (perfect view)"
const std::vector<std::string>& PreferenceDispositions();   // the three HTML layouts, by HtmlDisposition

class PreferenceRows {
public:
    std::string& operator[](int row) { return values_.at(row); }
    const std::string& operator[](int row) const { return values_.at(row); }

private:
    std::array<std::string, kPreferenceRowCount + 1> values_;   // [0] unused
};

// Fills every row from the record, the menu switches and the machine hive.
// A value missing from the hive leaves its row as it was.
void FillPreferenceRows(const ClientSettings& settings, const MenuSwitches& switches, PreferenceRows& rows);

// The editor's Default button: proposes the defaults, leaving the base save
// directory, the user save directory, the address list and the password.
void ProposeDefaultPreferences(const std::string& appDir, PreferenceRows& rows);

// Row 3 as it follows a changed base save directory.
std::string UserSaveDirFor(const std::string& baseSaveDir, const std::string& userName);

enum class LoginResult { Accepted, Refused, NoSettings, ReadFailed };
// The typed password against the stored AdminPass (missing: the empty one).
LoginResult CheckAdministratorLogin(std::string_view typed);

// Save: the record and the switches take the rows first, then the machine
// hive is written and, when that worked, the request-address list. False
// when the hive could not be written (the record keeps the new values).
bool SavePreferences(const PreferenceRows& rows, ClientSettings& settings, MenuSwitches& switches);

}  // namespace zentcore
