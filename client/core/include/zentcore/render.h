// Rendering PostScript into page images with the external processor: where
// the processor is, the option templates, the command lines and the page
// files they produce.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zentcore {

inline constexpr std::string_view kRegistryFailedMessage = "Registry operations failed!";
inline constexpr std::string_view kRegistrySaveFailedMessage = "Registry save operations failed!";
inline constexpr std::string_view kAdminToSaveMessage =
    "You must login as Administrator in order to be able to save your answer.";
inline constexpr std::string_view kTempPathFailedMessage = "GetTempPath() failed!";
inline constexpr std::string_view kWaitFailedMessage = "Wait failed!";

// Preview writes BMP at a fixed resolution; images (e-mail, HTML) take a
// device and a resolution through the template's placeholders.
enum class RenderUse { Preview, Image };
enum class ImageFormat { Png, Jpeg };

std::string_view ImageDevice(ImageFormat format, bool colour);   // png16m, pnggray, jpeg, jpeggray
std::string_view ImageExtension(ImageFormat format);             // ".png", ".jpg"
inline constexpr std::string_view kPreviewExtension = ".bmp";

// The built-in option template, blanks exactly as the processor has always
// been given them.
std::string BuiltInOptionTemplate(bool colour, RenderUse use);
// The machine value holding the template: PSViewParam, PSViewParamBW,
// PSEmailParam or PSEmailParaBW.
std::string_view OptionTemplateValueName(bool colour, RenderUse use);
// Appends a blank and the stored template (the built-in one when the value is
// missing or empty). A missing value gets the built-in template stored when
// mayWriteMachine, so an administrator can edit it; write errors are ignored.
void AppendOptionTemplate(std::string& commandLine, bool colour, RenderUse use, bool mayWriteMachine);
// Every "%device%" and "%resolution%" (case-sensitive) replaced.
std::string ReplaceRenderPlaceholders(std::string_view options, std::string_view device, int dpi);

// The machine settings PSEmailDpi (120) and PSHtmlDpi (72): the default
// when the value is missing, not a number, or not a usable resolution.
int EmailDpi();
int HtmlDpi();

struct RenderRequest {
    std::string processor;   // the processor's path, not quoted
    bool colour = true;
    RenderUse use = RenderUse::Preview;
    ImageFormat format = ImageFormat::Png;   // images only
    int dpi = 120;                           // images only
    std::string pagePrefix;                  // page k goes to pagePrefix + k + extension
    std::string input;                       // the PostScript file
};
std::string_view PageExtension(const RenderRequest& request);
// The one command line: processor, options, -sOutputFile="prefix%d.ext",
// "input". Every path is quoted so that splitting gives it back unchanged,
// and a '%' in the prefix is doubled so the processor writes it as it is.
std::string BuildRenderCommandLine(const RenderRequest& request, bool mayWriteMachine);

// The path of page `page` (from 1).
std::string PageFile(std::string_view prefix, int page, std::string_view extension);
// Deletes the page files 1, 2, ... up to the first that is missing; returns
// how many were deleted.
int DeletePageFiles(std::string_view prefix, std::string_view extension);
// Pages finished so far: the processor opens page k + 1 only after page k is
// complete, so while it runs the last file found is still being written.
int PagesReady(std::string_view prefix, std::string_view extension, int pages, bool processorEnded);
// "Page 3 of 12".
std::string PagesReadyText(int ready, int pages);

// The user's own directory for page images: a directory only this user may
// enter, under the temporary directory, so nobody can plant links where the
// processor writes. nullopt (errno set) when it cannot be made or is not ours.
std::optional<std::string> UserTempDirectory();
// UserTempDirectory() + "/" + baseName + "_"; nullopt after showing
// kTempPathFailedMessage.
std::optional<std::string> PreparePagePrefix(std::string_view baseName);

// Shows the processor locator; the chosen path, or nullopt when closed.
using ProcessorLocator = std::function<std::optional<std::string>()>;
// The PSProcessor path when it names an existing file; otherwise the
// locator's choice, stored as PSProcessor when mayWriteMachine (warnings
// otherwise and on a failed write; the path is used either way). nullopt
// when the action has to stop (after a message where one is due).
std::optional<std::string> ResolveProcessorPath(const ProcessorLocator& locate, bool mayWriteMachine);

// The processor's download page: "GS_download_address" of ztpclient.dat in
// the application directory, or the built-in page when that is empty or the
// file cannot be read.
std::string ProcessorDownloadAddress(const std::string& appDir);
inline constexpr std::string_view kDefaultProcessorDownloadAddress = "https://ghostscript.com/releases/gsdnld.html";
// The processor the locator proposes.
inline constexpr std::string_view kProposedProcessor = "/usr/bin/gs";

}  // namespace zentcore
