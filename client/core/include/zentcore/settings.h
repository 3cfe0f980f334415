// The client's settings: the in-memory record filled at start-up from the
// machine hive, the saved request addresses and the column-width values of
// the user hive, and the stored form of the administrator password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

// Key path of the client's settings, in the machine and in the user hive.
inline constexpr std::string_view kClientKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client";
// Subkey of kClientKey in the user hive holding the request addresses.
inline constexpr std::string_view kLastPrinterKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client\\Last printer";

struct ClientSettings {
    std::string AppDir;          // directory of the executable, no trailing '/'
    std::string FirstTempDir;    // working directory for job files
    std::string ClientSaveDir;   // base of the per-user save directories
    std::string UserSaveDir;     // ClientSaveDir + "/" + UserName
    std::string UserName;
    bool IsAdmin = false;        // may write the machine hive
    bool Preview_En = false;
    bool Later_En = false;
    bool Email_En = false;
    bool WantsReceipt = false;
    bool ArchiveDocs = false;
    bool SaveRqAddr = false;
    bool AddrReadOnly = false;
    bool LocalExport = false;
    std::int32_t ClientDelay = 0;   // milliseconds, never negative
};

// The two switches that act on the main window's menus instead of the record.
struct MenuSwitches {
    bool exitEnabled = true;    // Exit_En: both Exit commands
    bool toolsEnabled = true;   // Tools_En: the Tools menu
};

struct SettingsLoad {
    ClientSettings settings;
    MenuSwitches switches;
    // False when the working or the user save directory cannot be made, or
    // the save directory is another user's: the client ends without a
    // message (stderr names another user's directory).
    bool mayGoOn = false;
    // Lines of the machine settings file that could not be read (they were
    // skipped; every other setting was loaded).
    std::vector<std::string> problems;
};

// The start-up load: fills the record from the machine hive, writes the two
// directory defaults when the user is an administrator and they are absent,
// and creates the working and user save directories.
SettingsLoad LoadClientSettings();

// The saved request addresses: values "1" to "10" of the Last printer subkey,
// trimmed, without empty texts and repeats.
std::vector<std::string> LoadRequestAddresses();
// Replaces the saved list: each entry, trimmed, under its position + 1, empty
// entries and repeats skipped (their numbers stay unused). False when the
// subkey cannot be written.
bool SaveRequestAddresses(const std::vector<std::string>& addresses);

// Whether the user wants the tray's notifications of delivered, failed and
// waiting jobs: the user key's DWORD "Notifications" (absent: on).
bool NotificationsEnabled();

// The stored form of an administrator password: for every byte c of the
// trimmed text, (c - 32) * 3 + 1 in lower-case hexadecimal.
std::string EncodeAdminPassword(std::string_view password);

// Column widths as stored in the user hive: each width in decimal followed by
// ':' ("120:80:200:").
std::string FormatColumnWidths(const std::vector<int>& widths);
// The widths for the first columns (at most `columns`) of a stored text: each
// the leading digits of its field (none: 0) held between 10 and 200; a field
// with no ':' after it is the last. "5:300:abc:" gives 10, 200, 10.
std::vector<int> ParseColumnWidths(std::string_view text, std::size_t columns);
// Read and write a column-width value (e.g. "Form1ListView") of kClientKey in
// the user hive. Reading gives no widths when the value is absent or empty.
std::vector<int> ReadColumnWidths(std::string_view valueName, std::size_t columns);
bool WriteColumnWidths(std::string_view valueName, const std::vector<int>& widths);

}  // namespace zentcore
