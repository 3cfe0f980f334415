// The dialogs the preferences editor's browse buttons open, behind one seam
// so the editor also runs in a test without a human.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace zentclient {

class PrefServices {
public:
    virtual ~PrefServices() = default;
    // A directory chooser with this caption; nullopt when cancelled.
    virtual std::optional<std::string> chooseDirectory(QWidget* owner, const std::string& caption,
                                                       const std::string& start) = 0;
    // The PostScript processor locator; the chosen program, nullopt when cancelled.
    virtual std::optional<std::string> locateProcessor(QWidget* owner, const std::string& current) = 0;
    // The request address list window, shown modally; its addresses after OK.
    virtual std::optional<std::vector<std::string>> editAddresses(QWidget* owner) = 0;
};

// The running program's: Qt's directory dialog, the processor locator (its
// download page named in appDir's ztpclient.dat), AddressForm.
class QtPrefServices : public PrefServices {
public:
    explicit QtPrefServices(std::string appDir) : appDir_(std::move(appDir)) {}
    std::optional<std::string> chooseDirectory(QWidget* owner, const std::string& caption,
                                               const std::string& start) override;
    std::optional<std::string> locateProcessor(QWidget* owner, const std::string& current) override;
    std::optional<std::vector<std::string>> editAddresses(QWidget* owner) override;

private:
    std::string appDir_;
};

}  // namespace zentclient
