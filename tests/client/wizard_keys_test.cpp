// Enter in the wizard: GO is its default button, so Return and the keypad's
// Enter press it wherever the focus is on the print page, unless a button has
// the focus (that button takes the key). Real key events through the window.
#include "wizard_env.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using zentclient::TUserForm;

struct KeyCase {
    const char* what;
    bool addrReadOnly;
    std::function<QWidget*(TUserForm&)> focus;   // the widget with the focus
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool pressesGo;
    const char* message;   // what GO shows ("" nothing)
    bool asksTitle = false;   // the focused Title button took the key
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.what; }

class WizardKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(WizardKeys, EnterPressesGoUnlessAButtonHasTheFocus) {
    const KeyCase& c = GetParam();
    ClientMachine machine;
    machine.setMachineDword("AddrReadOnly", c.addrReadOnly ? 1 : 0);
    machine.setMachineDword("Email_En", 1);
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    TUserForm& wizard = client.wizard();
    if (!c.addrReadOnly) client.type("no address");
    QWidget* focus = c.focus(wizard);
    wizard.PageControl1->setCurrentWidget(focus == wizard.ComboBoxEx1 ? wizard.TabSheetEmail : wizard.TabSheetPrint);
    focus->setFocus();
    QSignalSpy go(wizard.BitBtnNext, &QPushButton::clicked);

    QTest::keyClick(wizard.windowHandle(), c.key, c.modifiers);
    EXPECT_EQ(go.count(), c.pressesGo ? 1 : 0);
    const std::vector<std::string> messages = client.messages();
    if (std::string(c.message).empty()) {
        EXPECT_THAT(messages, ::testing::ElementsAre());
    } else {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_THAT(messages[0], ::testing::StartsWith(c.message));
    }
    EXPECT_EQ(client.services.inputCalls.size(), c.asksTitle ? 1u : 0u);
}

constexpr const char* kSyntax = "W:Incorrect printer address syntax.";

INSTANTIATE_TEST_SUITE_P(
    Wizard, WizardKeys,
    ::testing::Values(
        KeyCase{"ReturnInTheAddressBox", false, [](TUserForm& w) -> QWidget* { return w.ComboBox1; }, Qt::Key_Return,
                Qt::NoModifier, true, kSyntax},
        KeyCase{"KeypadEnterInTheAddressBox", false, [](TUserForm& w) -> QWidget* { return w.ComboBox1; },
                Qt::Key_Enter, Qt::KeypadModifier, true, kSyntax},
        KeyCase{"ReturnInThePickOnlyAddressBox", true, [](TUserForm& w) -> QWidget* { return w.ComboBox1; },
                Qt::Key_Return, Qt::NoModifier, true, "W:No selection!"},
        KeyCase{"ReturnOnTheDefaultPageBox", false, [](TUserForm& w) -> QWidget* { return w.CheckBoxQA; },
                Qt::Key_Return, Qt::NoModifier, true, kSyntax},
        KeyCase{"ReturnOnGo", false, [](TUserForm& w) -> QWidget* { return w.BitBtnNext; }, Qt::Key_Return,
                Qt::NoModifier, true, kSyntax},
        KeyCase{"ReturnOnTheFocusedTitleButton", false, [](TUserForm& w) -> QWidget* { return w.BitBtnTitle; },
                Qt::Key_Return, Qt::NoModifier, false, "", true},
        KeyCase{"AltReturnIsNoEnter", false, [](TUserForm& w) -> QWidget* { return w.ComboBox1; }, Qt::Key_Return,
                Qt::AltModifier, false, ""},
        KeyCase{"ReturnOnTheEmailPage", false, [](TUserForm& w) -> QWidget* { return w.ComboBoxEx1; },
                Qt::Key_Return, Qt::NoModifier, false, ""}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.what); });

}  // namespace
