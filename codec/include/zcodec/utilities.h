// Small shared functions of the support library: splitting, address
// conversions, the program's directory, the debug log, the local service
// notification, data-file readers, and forwarders to TOrloFunction.
#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include <zplatform/messaging.h>

namespace encdec {

using StringList = std::deque<std::string>;

// The text without leading and trailing blanks and control characters
// (bytes up to 0x20), the way every setting and data-file value is trimmed.
std::string Trim(std::string_view text);
// The trimmed text as a decimal 32-bit number (optional sign, digits only);
// nullopt for anything else, including numbers out of range.
std::optional<std::int32_t> ParseInt(std::string_view text);

// Runs of separators count as one; no empty fields. maxFields 0: no limit.
void split(const std::string& text, const std::string& separators, StringList& fields, int maxFields = 0);
// Every separator ends a field; empty fields kept, no trailing empty field.
void split2(const std::string& text, const std::string& separators, StringList& fields, int maxFields = 0);

void FormatIP(std::string& text, std::uint32_t address);
// The number of a dotted address as decimal text; empty unless there are
// exactly four fields, each a number from 0 to 255.
std::string ip2long(const std::string& dotted);

// Directory part of an executable's path with its trailing '/'; "./" when the
// path is empty or has no directory.
std::string GetExePath(const std::string& application);

// Appends "YYYY-MM-DD hh:mm:ss,mmm message" (UTC) to the file when the machine
// value "DebugBackDll" (+ suffix) under SOFTWARE\ORLO Vestra is a non-zero
// number. The value is read once per machine settings file and suffix, so
// switching it on or off takes effect at the next start. Each line is one
// append-mode write: concurrent writers never interleave within a line. The
// file's directory is created when missing.
void dlog(const std::string& file, const std::string& message, const std::string& suffix = "");
// Where the client exchange logs: $XDG_STATE_HOME/zentrope/clthread.log
// (default ~/.local/state/zentrope/clthread.log).
std::string ClientThreadLogFile();

// Notifies the local service of a product: writes "3\0localhost\0" to
// 127.0.0.1 at the product's "SVPORT". Failures are shown through the prompter.
void OrvidFunc(const std::string& product);
// The port OrvidFunc uses: the machine value SVPORT under
// SOFTWARE\ORLO Vestra\<product>, or 24000 when it is missing or no port number.
int OrvidPort(const std::string& product);

// The machine value "Datafile" under SOFTWARE\ORLO Vestra\<product>; empty
// when missing.
std::string ReadRegistryDataFile(const std::string& product);
// Read the product's data file (ReadRegistryDataFile, or else the program's
// path with the extension ".dat"). The first form sets the connection from the
// last "ADOConnection=" line; the second sets each output whose key
// ("DSN=", "User=", "Passwd=", "Provider=", "Database=") occurs with a value
// and leaves the others unchanged.
void ReadDSNData(const std::string& product, std::string& connection);
void ReadDSNData(const std::string& product, std::string& dataSource, std::string& user, std::string& password,
                 std::string& provider, std::string& database);

// A date-time from YYYYMMDD and HHMMSS numbers; date 0 is day zero of the
// date-time scale (30 December 1899), time 0 is midnight. nullopt when the
// numbers name no real day or time of day. tm_isdst is -1 (not known).
std::optional<std::tm> GetDateTime(long date, long time);

// Forwarders to TOrloFunction.
char* TempFileName(const char* extension);
std::string AnsiTempFileName(const std::string& extension);
void AnsiSplit(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);
void AnsiSplit2(const std::string& text, const std::string& delimiters, StringList& parts, int maxParts);
std::string iHTMLEncode(const std::string& text);
std::string iHTMLDecode(const std::string& text);
std::string GetErrorMessage(platform::WindowHandle owner, const std::string& caption, int code);
std::string GetErrorMessage(int code);
bool PostData(const std::string& url, const StringList& names, const StringList& values, int* errorCode,
              std::string* response, const std::string& referrer);
bool GetHttpData(const std::string& url, int* errorCode, std::string* response, const std::string& referrer);

}  // namespace encdec
