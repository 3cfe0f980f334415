// The authentication and charging dialog against a real reference server,
// with the server's sign-in page in a real browser.
#include "client_env.h"
#include "htmlpage_browser.h"
#include "reference_server.h"

#include "auth/chargetags.h"
#include "auth/serverpagebase.h"
#include "auth/tselauth.h"
#include "shell/qtmessaging.h"

#include <orloqt/webwrapper.h>
#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTest>
#include <QTabWidget>
#include <QWebEngineView>

#include <map>
#include <memory>
#include <utility>
#include <string>

namespace {

using clienttest::runScript;
using clienttest::waitForText;
using clienttest::waitUntil;
using zentclient::TSelAuth;

// "Account" asks for a user name and password on a page of the server's;
// "Voucher" needs no page. The server locks a user out after two failures.
const char* kServerConfig = R"({
    "server_info": ["Test server", "1.0", "127.0.0.1", "EUR"],
    "lockout_after": 2,
    "auth_methods": {
      "Voucher": {"stage": 1},
      "Account": {"icon": "account.ico", "steps": [
        {"result": 2, "page": "login.htm"},
        {"result": 1, "require": {"user": "ann", "password": "demo"}, "fail_result": 0}]},
      "Relative": {"steps": [{"result": 2, "page": "relative.htm"}, {"result": 1}]}
    },
    "printers": [{"name": "laser", "description": {"AUTHNAME": ["Account", "Voucher", "Relative"]}}]
  })";

const char* kLoginPage = R"(<html><body>
<p>Charge: <span id="amount"><#AMOUNT></span>, tax <span id="tax"><#TAXAMOUNT></span>,
<span id="price"><#PRICEPERPAGE></span> per page</p>
<form method="post" action="http://127.0.0.1:9/account">
<input name="user" id="user"><input type="password" name="password" id="password">
<input type="submit" id="send" value="Sign in"></form></body></html>)";

// A page that names nothing absolutely: its form has no action.
const char* kRelativePage = R"(<html><body><p>Relative page</p>
<a id="help" href="help.htm?topic=1">Help</a><img id="logo" src="img/logo.png">
<form method="post"><input name="code" value="7"><input type="submit" id="send"></form></body></html>)";

// 3 pages x 2 copies: the minimum charge of 1 applies; 18 % tax is 0.18.
const encdec::StringList kAccountOnly = {"PRINTERNAM=laser", "AUTHNAME=Account", "PAGEPRICE=0.10", "MINCHARGE=1",
                                         "TAX=18"};
const encdec::StringList kTwoMethods = {"AUTHNAME=Account;Voucher", "PAGEPRICE=0.10;0.05", "MINCHARGE=1;0",
                                        "TAX=18;0"};

// Where a click checks a radio button: on its indicator.
QPoint indicatorOf(QRadioButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, &button).center();
}

class AuthWindow : public ::testing::Test {
protected:
    AuthWindow() : server(kServerConfig, serverFiles()) {}

    static std::map<std::string, std::string> serverFiles() {
        return {{"login.htm", kLoginPage},
                {"relative.htm", kRelativePage},
                {"account.ico", testenv::readFile(testenv::sourceDir() + "/data/demo/account.ico")}};
    }

    std::unique_ptr<TSelAuth> dialog(const encdec::StringList& data) {
        auto d = std::make_unique<TSelAuth>(nullptr, data, 2, 3, "laser", server.address(), 77);
        finished = std::make_unique<QSignalSpy>(d.get(), &QDialog::finished);
        return d;
    }
    // Fills the sign-in page and sends it.
    void signIn(TSelAuth& d, const QString& user, const QString& password) {
        runScript(*d.WebBrowser1, "user.value = '" + user + "'; password.value = '" + password + "'; send.click();");
    }
    bool waitForEnd() { return finished->count() > 0 || finished->wait(15000); }
    int endResult() const { return finished->at(0).at(0).toInt(); }
    bool onPluginPage(TSelAuth& d) const { return d.PageControl1->currentWidget() == d.TabSheet2; }

    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server;
    zentclient::QtMessagePump pump;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
    std::unique_ptr<QSignalSpy> finished;
};

TEST_F(AuthWindow, OneMethodGoesOnByItselfToTheServersPageAndRightCredentialsAuthenticate) {
    auto d = dialog(kAccountOnly);
    EXPECT_EQ(d->LabelPricePerPage->text(), "Price/Page (EUR)");
    EXPECT_EQ(d->LabelMinimumCharge->text(), "Minimum charge (EUR)");
    EXPECT_EQ(d->PricePerPage->text(), "0.1");
    EXPECT_EQ(d->MinimumCharge->text(), "1");
    EXPECT_EQ(d->TaxPercentage->text(), "18");
    EXPECT_DOUBLE_EQ(d->Dialogue().figures().amount, 1.0);
    EXPECT_NEAR(d->Dialogue().figures().taxAmount, 0.18, 1e-9);
    EXPECT_FALSE(d->PageControl1->isTabVisible(1));

    d->show();
    ASSERT_TRUE(waitUntil([&] { return onPluginPage(*d); }, 10000));
    EXPECT_EQ(d->PageControl1->tabText(1), "Account");
    EXPECT_FALSE(d->PageControl1->tabIcon(1).isNull());
    EXPECT_FALSE(d->BitBtnNext->isEnabled());
    // The page shows the charge through its tags.
    ASSERT_TRUE(waitForText(*d->WebBrowser1, "Charge: 1.00, tax 0.18, 0.10 per page"));

    signIn(*d, "ann", "wrong");
    ASSERT_TRUE(waitUntil([&] { return !prompter.calls.empty(); }));
    EXPECT_EQ(prompter.calls[0].text, "Authentication Failed!");
    EXPECT_EQ(d->Result(), 0);
    EXPECT_TRUE(d->isVisible());

    signIn(*d, "ann", "demo");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 1);
    EXPECT_EQ(d->Result(), 1);
    EXPECT_EQ(prompter.calls.size(), 1u);
}

// The server's pages are shown with the server's address as their base: its
// relative references resolve there, and a form without an action names that
// address as its target instead of the page's own text.
TEST_F(AuthWindow, TheServersPagesResolveAgainstTheServersAddress) {
    auto d = dialog({"AUTHNAME=Relative", "PAGEPRICE=0", "MINCHARGE=0", "TAX=0"});
    d->show();
    ASSERT_TRUE(waitUntil([&] { return onPluginPage(*d); }, 10000));
    ASSERT_TRUE(waitForText(*d->WebBrowser1, "Relative page"));
    const std::string base = "http://127.0.0.1/";   // the print server's host
    EXPECT_EQ(runScript(*d->WebBrowser1, "help.href").toString().toStdString(), base + "help.htm?topic=1");
    EXPECT_EQ(runScript(*d->WebBrowser1, "logo.src").toString().toStdString(), base + "img/logo.png");

    runScript(*d->WebBrowser1, "send.click()");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 1);
    EXPECT_EQ(d->WebWrap1->CollectedText(), "_ORLO_URL_=" + base + "\x04" "code=7\x04");
}

TEST(AuthPageBase, TheServersAddressAsItsWebAddress) {
    const struct {
        std::string server;
        QString base;
    } cases[] = {
        {"print.example", "http://print.example/"},
        {"127.0.0.1:20202", "http://127.0.0.1/"},   // the print port speaks no HTTP
        {"  print.example:7000 ", "http://print.example/"},
        {"print.example:abc", "http://print.example/"},
        {"", "about:blank"},
        {"a b/c", "about:blank"},
    };
    for (const auto& c : cases) EXPECT_EQ(zentclient::ServerPageBase(c.server).toString(), c.base) << c.server;
}

TEST_F(AuthWindow, RepeatedFailuresLockTheUserOut) {
    auto d = dialog(kAccountOnly);
    d->show();
    ASSERT_TRUE(waitUntil([&] { return onPluginPage(*d); }, 10000));
    ASSERT_TRUE(waitForText(*d->WebBrowser1, "Charge"));
    signIn(*d, "ann", "wrong");
    ASSERT_TRUE(waitUntil([&] { return prompter.calls.size() == 1; }));
    signIn(*d, "ann", "also wrong");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 3);
    ASSERT_EQ(prompter.calls.size(), 2u);
    EXPECT_EQ(prompter.calls[1].caption, "Error");
    EXPECT_EQ(prompter.calls[1].text, "Too many failed attempts!\nYou can no longer access this printer!");
}

TEST_F(AuthWindow, AMethodWithoutStepsAuthenticatesWithoutThePluginPage) {
    auto d = dialog(kTwoMethods);
    d->show();
    auto* voucher = d->findChild<QRadioButton*>("RadioButton2");
    ASSERT_TRUE(voucher && voucher->isVisible());
    EXPECT_TRUE(d->findChild<QRadioButton*>("RadioButton1")->isChecked());
    voucher->click();
    EXPECT_EQ(d->Dialogue().chosenMethod(), "Voucher");
    EXPECT_EQ(d->PricePerPage->text(), "0.05");
    d->BitBtnNext->click();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 1);
    EXPECT_FALSE(onPluginPage(*d));
    EXPECT_TRUE(server.logShows("CHKINTR"));
}

TEST_F(AuthWindow, BackLeavesThePluginPageAndCancelsOnTheMethodPage) {
    auto d = dialog(kTwoMethods);
    d->show();
    EXPECT_FALSE(onPluginPage(*d));  // two methods: the user chooses
    d->BitBtnNext->click();
    ASSERT_TRUE(waitUntil([&] { return onPluginPage(*d); }));
    EXPECT_TRUE(d->PageControl1->isTabVisible(1));

    d->BitBtnBack->click();
    EXPECT_FALSE(onPluginPage(*d));
    EXPECT_FALSE(d->PageControl1->isTabVisible(1));
    EXPECT_TRUE(d->BitBtnNext->isEnabled());
    EXPECT_EQ(d->Dialogue().step(), 1);
    EXPECT_EQ(finished->count(), 0);

    d->BitBtnBack->click();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 2);
}

// "Next >" is the dialog's default button: Return and the keypad's Enter on
// the method page press it, real keys through the window.
TEST_F(AuthWindow, EnterPressesNextOnTheMethodPage) {
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::KeyboardModifiers(Qt::NoModifier)},
                                         std::pair{Qt::Key_Enter, Qt::KeyboardModifiers(Qt::KeypadModifier)}}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "keypad Enter");
        auto d = dialog(kTwoMethods);
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        // The user picks Voucher, which needs no page, and confirms with Enter.
        auto* voucher = d->findChild<QRadioButton*>("RadioButton2");
        QTest::mouseClick(voucher, Qt::LeftButton, {}, indicatorOf(*voucher));
        ASSERT_EQ(d->Dialogue().chosenMethod(), "Voucher");
        QTest::keyClick(d->windowHandle(), key, modifiers);
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(endResult(), 1);
    }

    // Straight away, wherever the dialog put the focus: the chosen method's page.
    auto d = dialog(kTwoMethods);
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    QTest::keyClick(d->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return onPluginPage(*d); }, 10000))
        << "focus on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "-");
    EXPECT_EQ(finished->count(), 0);
}

TEST_F(AuthWindow, UpToTenMethodsAreOffered) {
    encdec::StringList data = {"AUTHNAME=M1;M2;M3;M4;M5;M6;M7;M8;M9;M10;M11",
                               "PAGEPRICE=1;2;3;4;5;6;7;8;9;10;11", "MINCHARGE=0;0;0;0;0;0;0;0;0;0;0",
                               "TAX=0;0;0;0;0;0;0;0;0;0;0"};
    auto d = dialog(data);
    d->show();
    for (int i = 1; i <= 10; ++i) {
        auto* button = d->findChild<QRadioButton*>(QString("RadioButton%1").arg(i));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible()) << i;
        EXPECT_EQ(button->text(), QString("M%1").arg(i));
    }
    EXPECT_EQ(d->findChildren<QRadioButton*>().size(), 10);
    d->findChild<QRadioButton*>("RadioButton10")->click();
    EXPECT_EQ(d->PricePerPage->text(), "10");
    EXPECT_TRUE(d->BitBtnNext->isEnabled());
    EXPECT_FALSE(onPluginPage(*d));
}

TEST_F(AuthWindow, WithoutMethodsOnlyOkRemainsAndItCancels) {
    auto d = dialog({"PRINTERNAM=laser", "PAGEPRICE=1"});
    d->show();
    EXPECT_FALSE(d->PageControl1->isVisible());
    EXPECT_FALSE(d->Panel1->isVisible());
    EXPECT_FALSE(d->BitBtnNext->isVisible());
    EXPECT_FALSE(d->BitBtnBack->isVisible());
    ASSERT_TRUE(d->BitBtnOK->isVisible());
    d->BitBtnOK->click();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 2);
}

// The user acting while the dialog waits for the server (the server holds
// back its PLGSTG and PLGFUNC answers): the method and the page stay the ones
// the request was made for, and nothing closes the dialog meanwhile.
class AuthWindowWait : public AuthWindow {
protected:
    static std::string slowConfig() {
        std::string config = kServerConfig;
        const std::string at = "\"lockout_after\": 2,";
        config.replace(config.find(at), at.size(),
                       at + R"( "commands": {"PLGSTG": {"delay_ms": 700}, "PLGFUNC": {"delay_ms": 700}},)");
        return config;
    }
    testenv::ReferenceServer slow{slowConfig(), serverFiles()};

    std::unique_ptr<TSelAuth> slowDialog(const encdec::StringList& data) {
        auto d = std::make_unique<TSelAuth>(nullptr, data, 2, 3, "laser", slow.address(), 77);
        finished = std::make_unique<QSignalSpy>(d.get(), &QDialog::finished);
        return d;
    }
};

TEST_F(AuthWindowWait, TheMethodAndThePageStayWhileTheServerIsAsked) {
    auto d = slowDialog(kTwoMethods);
    d->show();
    auto* account = d->findChild<QRadioButton*>("RadioButton1");
    auto* voucher = d->findChild<QRadioButton*>("RadioButton2");
    // While PLGSTG is waited for: another method, Back, Escape.
    clienttest::PostedAction duringStage([&] { return slow.log().find(" PLGICON ") != std::string::npos; },
                                         [&] {
                                             QTest::mouseClick(voucher, Qt::LeftButton, {}, indicatorOf(*voucher));
                                             QTest::mouseClick(d->BitBtnBack, Qt::LeftButton);
                                             QTest::keyClick(d.get(), Qt::Key_Escape);
                                         });
    QTest::mouseClick(d->BitBtnNext, Qt::LeftButton);
    ASSERT_TRUE(duringStage.ran);
    EXPECT_EQ(d->Dialogue().chosenMethod(), "Account");
    EXPECT_TRUE(account->isChecked());
    EXPECT_TRUE(voucher->isEnabled()) << "the methods are given back";
    ASSERT_TRUE(onPluginPage(*d)) << "the page of the method that was asked for";
    ASSERT_TRUE(waitForText(*d->WebBrowser1, "Charge"));
    EXPECT_EQ(finished->count(), 0);

    // While a sign-in is checked: the method page's tab.
    QTabBar* tabs = d->PageControl1->tabBar();
    clienttest::PostedAction duringStep([] { return QApplication::overrideCursor() != nullptr; },
                                        [&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center()); });
    signIn(*d, "ann", "wrong");
    ASSERT_TRUE(waitUntil([&] { return !prompter.calls.empty(); }, 10000));
    ASSERT_TRUE(duringStep.ran);
    EXPECT_EQ(prompter.calls[0].text, "Authentication Failed!");
    EXPECT_TRUE(onPluginPage(*d));
    EXPECT_EQ(d->Dialogue().step(), 2) << "the steps did not start again under the request";
    EXPECT_TRUE(tabs->isEnabled());

    signIn(*d, "ann", "demo");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(endResult(), 1);
}

TEST(AuthDemo, TheDemoServersSignInPageAuthenticates) {
    testenv::IsolatedMachine machine;
    testenv::ReferenceServer server(testenv::ConfigFile{testenv::sourceDir() + "/data/demo/zentserver.json"});
    zentclient::QtMessagePump pump;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    // "colour" offers "Account" only: 4 pages at 0.45 with a minimum of 2.
    TSelAuth d(nullptr, {"AUTHNAME=Account", "PAGEPRICE=0.45", "MINCHARGE=2.00", "TAX=19"}, 1, 4, "colour",
               server.address(), 1001);
    QSignalSpy finished(&d, &QDialog::finished);
    d.show();
    ASSERT_TRUE(waitForText(*d.WebBrowser1, "This job costs 2.00 plus 0.38 tax"));
    runScript(*d.WebBrowser1, "user.value = 'demo'; password.value = 'demo'; "
                              "document.querySelector('input[type=submit]').click();");
    ASSERT_TRUE(finished.count() > 0 || finished.wait(15000));
    EXPECT_EQ(finished[0][0].toInt(), 1);
    EXPECT_TRUE(prompter.calls.empty());
}

TEST(AuthChargeTags, TheFiveFiguresAsTwoDecimalsOtherTagsStay) {
    zentcore::ChargeFigures f;
    f.amount = 1;
    f.taxAmount = 0.18;
    f.pricePerPage = 0.1;
    f.minimumCharge = 1;
    f.taxPercentage = 18;
    EXPECT_EQ(zentclient::ProduceChargeTags(
                  "<#AMOUNT>|<#TAXAMOUNT>|<#PRICEPERPAGE>|<#MINIMUMCHARGE>|<#TAXPERCENTAGE>|<#amount>|<#OTHER x>", f),
              "1.00|0.18|0.10|1.00|18.00|<#amount>|<#OTHER x>");
}

}  // namespace
