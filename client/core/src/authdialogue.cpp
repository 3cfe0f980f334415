#include <zentcore/authdialogue.h>

#include <zentcore/serverrequest.h>
#include <orlo/orlofunction.h>
#include <zplatform/prompter.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace zentcore {

namespace {

constexpr char kEot = '\x04';
constexpr std::int32_t kLockedOutAnswer = 1000;

std::string answerText(const ServerAnswer& answer) {
    if (!answer.thread || !answer.thread->GetAnswerAsPointer()) return {};
    return {reinterpret_cast<const char*>(answer.thread->GetAnswerAsPointer()),
            std::size_t(answer.thread->GetAnswerLength())};
}

std::string charge(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2lf", value);
    return text;
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

AuthDialogue::AuthDialogue(const encdec::StringList& printerLines, std::int32_t copies, std::int32_t pages,
                           std::string printer, std::string server, std::int32_t session,
                           platform::WindowHandle owner)
    : methods_(ParseAuthMethods(printerLines)),
      copies_(copies),
      pages_(pages),
      printer_(std::move(printer)),
      server_(std::move(server)),
      session_(session),
      owner_(owner) {
    const auto info = AskServer("SVRINFO", "", server_, owner_, encdec::ttEncrypt);
    if (info.result.ReturnValue != 0) {
        encdec::StringList fields;
        encdec::split2(answerText(info), std::string(1, kEot), fields);
        if (fields.size() >= 4 && !fields[3].empty()) currency_ = "(" + fields[3] + ")";
    }
    if (!methods_.empty()) selectMethod(methods_.front().name);
}

void AuthDialogue::selectMethod(const std::string& name) {
    chosen_ = name;
    known_ = false;
    figures_ = {};
    for (const auto& m : methods_)
        if (m.name == name) {
            figures_ = ComputeCharge(m, pages_, copies_);
            known_ = true;
            break;
        }
}

std::string AuthDialogue::methodAndPrinter() const { return chosen_ + kEot + printer_; }

std::string AuthDialogue::fetchIcon() {
    const auto answer = AskServer("PLGICON", methodAndPrinter(), server_, owner_, encdec::ttNone, session_);
    const std::int32_t size = answer.result.ReturnValue;
    const std::string bytes = answerText(answer);
    // Never read past what the server actually sent, whatever size it claims.
    if (size <= 0 || bytes.size() < 4 || std::size_t(size) > bytes.size() - 4) return {};
    return bytes.substr(4, std::size_t(size));
}

bool AuthDialogue::start() {
    const auto stage = AskServer("PLGSTG", methodAndPrinter(), server_, owner_, encdec::ttNone, session_);
    if (!stage.thread || stage.result.ReturnValue == 0) return false;
    if (stage.result.ReturnValue == 1) {
        result_ = kAuthenticated;
        confirm(true);
        return false;
    }
    return runStep(std::nullopt) == 2;
}

void AuthDialogue::confirm(bool success) {
    const auto answer = AskServer("CHKINTR", printer_ + kEot + (success ? "1" : "0"), server_, owner_,
                                  encdec::ttEncrypt, session_);
    lockedOut_ = answer.result.ReturnValue == kLockedOutAnswer;
}

std::int32_t AuthDialogue::runStep(const std::optional<std::string>& formText) {
    const std::string pageFile = TOrloFunction::AnsiTempFileName("htm");
    if (pageFile.empty()) {
        platform::prompter().error("Error", "Communication Failure");
        return 0;
    }
    if (step_ < 1) step_ = 1;

    std::string data = methodAndPrinter() + kEot + std::to_string(step_) + kEot + std::to_string(copies_) + kEot +
                       std::to_string(pages_) + kEot + charge(figures_.pricePerPage) + kEot +
                       charge(figures_.minimumCharge) + kEot + charge(figures_.taxPercentage);
    if (formText) data += kEot + *formText;
    const auto answer = AskServer("PLGFUNC", data, server_, owner_, encdec::ttNone, session_, pageFile);
    const std::int32_t r = answer.result.ReturnValue;

    Result outcome = kRunning;
    if (r == 3) {
        doDefPost_ = true;
    } else {
        doDefPost_ = false;
        if (r == 1) {
            confirm(true);
            outcome = kAuthenticated;
        } else if (r == 0) {
            confirm(false);
            if (lockedOut_) {
                platform::prompter().error("Error",
                                           "Too many failed attempts!\nYou can no longer access this printer!");
                outcome = kLockedOut;
            } else {
                platform::prompter().error("Error", "Authentication Failed!");
            }
        } else {
            page_ = readWhole(pageFile);
            ++step_;
        }
    }
    ::unlink(pageFile.c_str());
    result_ = outcome;
    return r;
}

}  // namespace zentcore
