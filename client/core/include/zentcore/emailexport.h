// Mailing a rendered job: the message, the mail program (xdg-email), and
// the folder the pages are saved to when no mail program can take them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentcore {

inline constexpr std::string_view kNoImagesToMailMessage =
    "The PostScript processor produced no page images, so there is nothing to mail.";

inline constexpr std::string_view kPagesNotSavedMessage =
    "The page images could not be saved into your documents folder; the job stays in the queue.";

// The note under which the pages go: two line feeds, a rule, the credit.
std::string EmailNoteText();

// The page files 1..pages that the processor did produce, in page order.
std::vector<std::string> ExistingPageFiles(std::string_view prefix, std::string_view extension, int pages);

// xdg-email --subject S --body B --attach F1 --attach F2 ...
std::vector<std::string> MailCommand(const std::string& subject, const std::string& body,
                                     const std::vector<std::string>& attachments);
struct MailResult {
    bool started = false;   // false: no mail program could be run
    int exitCode = -1;      // its exit status, the mail call's result
};
// Runs MailCommand and waits for it.
MailResult SendMail(const std::string& subject, const std::string& body, const std::vector<std::string>& attachments);
// "MAPI returned 3!"
std::string MailErrorText(int result);

// Copies the files into a new folder "<documents>/Zentrope e-mail/<name>"
// (the document name made safe for a file name; " 2", " 3", ... when it is
// taken) as page1.ext, page2.ext, ...; the folder, or nullopt when it could
// not be made or a file not copied.
std::optional<std::string> SavePagesToFolder(const std::string& documents, std::string_view docName,
                                             const std::vector<std::string>& files);
// Says where the pages are when the mail program could not take them.
std::string SavedPagesText(const std::string& folder);

}  // namespace zentcore
