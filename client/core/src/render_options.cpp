// The processor's option templates: built in, stored, and their placeholders.
#include <zentcore/render.h>

#include <zentcore/settings.h>
#include <zplatform/registry.h>

namespace zentcore {

std::string_view ImageDevice(ImageFormat format, bool colour) {
    if (format == ImageFormat::Jpeg) return colour ? "jpeg" : "jpeggray";
    return colour ? "png16m" : "pnggray";
}

std::string_view ImageExtension(ImageFormat format) { return format == ImageFormat::Jpeg ? ".jpg" : ".png"; }

std::string BuiltInOptionTemplate(bool colour, RenderUse use) {
    const bool preview = use == RenderUse::Preview;
    std::string t = "-dNOPAUSE -dBATCH -sDEVICE=";
    t += preview ? (colour ? "bmp16m" : "bmpgray") : "%device%";
    t += " -dDOINTERPOLATE ";
    if (colour) t += " -dCOLORSCREEN ";
    t += preview ? " -r120 " : " -r%resolution% ";
    t += " -dTextAlphaBits=4 -dGraphicsAlphaBits=2 ";
    return t;
}

std::string_view OptionTemplateValueName(bool colour, RenderUse use) {
    if (use == RenderUse::Preview) return colour ? "PSViewParam" : "PSViewParamBW";
    return colour ? "PSEmailParam" : "PSEmailParaBW";
}

void AppendOptionTemplate(std::string& commandLine, bool colour, RenderUse use, bool mayWriteMachine) {
    const std::string_view name = OptionTemplateValueName(colour, use);
    bool exists = false;
    std::string text;
    if (const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, kClientKey)) {
        exists = key->valueExists(name);
        text = key->readString(name);
    }
    if (text.empty()) text = BuiltInOptionTemplate(colour, use);
    commandLine += ' ';
    commandLine += text;
    if (!exists && mayWriteMachine) {
        if (auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, kClientKey))
            key->writeString(name, text);
    }
}

namespace {

int machineDpi(std::string_view name, int fallback) {
    if (const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, kClientKey))
        if (const auto dpi = key->readDword(name); dpi && *dpi > 0 && *dpi <= 10000) return int(*dpi);
    return fallback;
}

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace

int EmailDpi() { return machineDpi("PSEmailDpi", 120); }
int HtmlDpi() { return machineDpi("PSHtmlDpi", 72); }

std::string ReplaceRenderPlaceholders(std::string_view options, std::string_view device, int dpi) {
    std::string out(options);
    replaceAll(out, "%device%", device);
    replaceAll(out, "%resolution%", std::to_string(dpi));
    return out;
}

}  // namespace zentcore
