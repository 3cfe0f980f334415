// SelAuth: the authentication and charging dialog. It shows the methods the
// printer offers (up to ten) with the charge of the job, and runs the
// server's dialogue for the chosen one: the server's pages are shown in an
// embedded browser and their forms go back to the server. Its modal result:
// 1 authenticated (send the job), 2 cancelled, 3 refused for good.
#pragma once

#include <zcodec/utilities.h>
#include <zentcore/authdialogue.h>
#include <zplatform/messaging.h>

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWebEngineView;
class TWebWrapper;

namespace zentclient {

class TSelAuth : public QDialog {
    Q_OBJECT
public:
    // Asks the server for its currency (SVRINFO) and lays out the methods of
    // the printer's data lines.
    TSelAuth(QWidget* owner, const encdec::StringList& printerData, std::int32_t copies, std::int32_t pages,
             const std::string& printerName, const std::string& serverAddress, std::int32_t session);
    ~TSelAuth() override;

    // Controls.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // "Authentication": the methods
    QWidget* TabSheet2 = nullptr;  // the plug-in page: the server's pages
    QGroupBox* RadioGroup1 = nullptr;
    QWebEngineView* WebBrowser1 = nullptr;
    TWebWrapper* WebWrap1 = nullptr;
    QWidget* Panel1 = nullptr;  // the charge figures
    QLabel *LabelPricePerPage = nullptr, *LabelMinimumCharge = nullptr, *LabelTax = nullptr;
    QLabel *PricePerPage = nullptr, *MinimumCharge = nullptr, *TaxPercentage = nullptr;
    QPushButton *BitBtnBack = nullptr, *BitBtnNext = nullptr, *BitBtnOK = nullptr;

    // 0 while the dialog runs, then its modal result.
    int Result() const { return result_; }
    const zentcore::AuthDialogue& Dialogue() const { return *dialogue_; }

    void RadioButtonClick(QRadioButton* button);
    void BitBtnNextClick();
    void BitBtnBackClick();
    void BitBtnOKClick();
    void PageControl1Change();
    // Closing the window cancels, except while the server is being asked.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void dispatch(const platform::Message& message);
    // A form in the plug-in page was submitted: the next step.
    void WebWrap1Submitted();
    // After a step: the page it asked for, the post switch, the end.
    void stepDone(std::int32_t stepBefore);
    void showPluginPage();
    // What takes no clicks while the server is asked.
    std::vector<QWidget*> heldWhileBusy() const;
    void setResult(int result);

    platform::WindowHandle handle_ = 0;
    std::unique_ptr<zentcore::AuthDialogue> dialogue_;
    int result_ = zentcore::AuthDialogue::kRunning;
    bool busy_ = false;       // waiting for the server
    bool activated_ = false;  // shown before
};

}  // namespace zentclient
