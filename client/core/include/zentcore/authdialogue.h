// The authentication and charging dialogue with a print server, without its
// window: the methods a printer offers with their prices, the charge of the
// job, and the server-driven plug-in steps (PLGICON, PLGSTG, PLGFUNC,
// CHKINTR). The dialog window and the command line both drive it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <zcodec/utilities.h>
#include <zplatform/messaging.h>

namespace zentcore {

struct AuthMethod {
    std::string name;
    std::string pagePrice;
    std::string minCharge;
    std::string tax;
};

// The methods of a printer's data lines (AUTHNAME, PAGEPRICE, MINCHARGE,
// TAX, each a ';' list); method i exists only when all four lists have an
// entry i.
std::vector<AuthMethod> ParseAuthMethods(const encdec::StringList& printerLines);
// Whether the printer asks for authentication at all (AUTHNAME names a
// method), whether or not its charges make the methods usable.
bool NamesAuthMethods(const encdec::StringList& printerLines);

struct ChargeFigures {
    double pricePerPage = 0;
    double minimumCharge = 0;
    double taxPercentage = 0;
    double amount = 0;      // pages x copies x price, at least the minimum
    double taxAmount = 0;
};

ChargeFigures ComputeCharge(const AuthMethod& method, std::int32_t pages, std::int32_t copies);

// caption with every "${CURRENCY}" (any case) replaced by currency.
std::string WithCurrency(std::string_view caption, std::string_view currency);

// A figure as the charge tags of plug-in pages show it ("0.00").
std::string FormatCharge(double value);

class AuthDialogue {
public:
    enum Result : int { kRunning = 0, kAuthenticated = 1, kCancelled = 2, kLockedOut = 3 };

    // Asks the server for its currency (SVRINFO) and reads the methods.
    AuthDialogue(const encdec::StringList& printerLines, std::int32_t copies, std::int32_t pages, std::string printer,
                 std::string server, std::int32_t session, platform::WindowHandle owner = 0);

    const std::vector<AuthMethod>& methods() const { return methods_; }
    // "(EUR)" or empty.
    const std::string& currency() const { return currency_; }

    // Chooses a method by name; unknown names give all-zero figures.
    void selectMethod(const std::string& name);
    const std::string& chosenMethod() const { return chosen_; }
    const ChargeFigures& figures() const { return figures_; }
    bool methodKnown() const { return known_; }

    // PLGICON for the chosen method: the icon's bytes, empty when none.
    std::string fetchIcon();

    // "Next >" after the icon: PLGSTG, then the first step when one follows.
    // True when the plug-in page is to be shown (the step returned 2).
    bool start();

    // One plug-in step: PLGFUNC with the form the user submitted (or none).
    // Returns the server's value; result(), page() and doDefPost() tell the
    // rest.
    std::int32_t runStep(const std::optional<std::string>& formText);

    Result result() const { return result_; }
    void cancel() { result_ = kCancelled; }
    // The page the last step asked to show (HTML), and whether the browser
    // should also post the page's next form to its own target.
    const std::string& page() const { return page_; }
    bool doDefPost() const { return doDefPost_; }
    std::int32_t step() const { return step_; }
    void restartSteps() { step_ = 1; }

private:
    std::string methodAndPrinter() const;
    void confirm(bool success);   // CHKINTR; true when the user is locked out

    std::vector<AuthMethod> methods_;
    std::string currency_;
    std::string chosen_;
    ChargeFigures figures_;
    bool known_ = false;
    std::int32_t copies_;
    std::int32_t pages_;
    std::string printer_;
    std::string server_;
    std::int32_t session_;
    platform::WindowHandle owner_;
    std::int32_t step_ = 1;
    Result result_ = kRunning;
    std::string page_;
    bool doDefPost_ = false;
    bool lockedOut_ = false;
};

}  // namespace zentcore
