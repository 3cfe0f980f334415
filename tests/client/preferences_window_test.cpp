// The preferences window: the login gate, the browse buttons and cell edits,
// and Save acting on the running client's menus and directories.
#include "client_env.h"

#include "prefs/prefservices.h"
#include "prefs/tprefform.h"

#include <zentcore/application.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using clienttest::Client;
using clienttest::ClientMachine;
using Kind = platform::ScriptedPrompter::Kind;
using namespace zentcore;

class ScriptedPrefServices : public zentclient::PrefServices {
public:
    std::optional<std::string> chooseDirectory(QWidget*, const std::string& caption, const std::string&) override {
        captions.push_back(caption);
        return directory;
    }
    std::optional<std::string> locateProcessor(QWidget*, const std::string&) override { return processor; }
    std::optional<std::vector<std::string>> editAddresses(QWidget*) override { return addresses; }

    std::vector<std::string> captions;
    std::optional<std::string> directory, processor;
    std::optional<std::vector<std::string>> addresses;
};

class PreferencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        client.start();
        ASSERT_TRUE(client.started);
        form().services = &services;
    }
    zentclient::TPrefForm& form() { return *zentclient::PrefForm; }
    void open() {
        client.form().Preferences1->trigger();
        ASSERT_THAT(client.services.modals, ::testing::Contains(zentclient::PrefForm));
        form().show();
    }
    void login(const std::string& password) {
        form().EditPassword->setText(QString::fromStdString(password));
        form().BitBtnLogin->click();
    }
    // Types into a value cell as the user does, confirming it.
    void edit(int row, const std::string& text) {
        QTableWidgetItem* item = form().ValueListEditor1->item(row - 1, 1);
        ASSERT_TRUE(item->flags() & Qt::ItemIsEditable);
        item->setText(QString::fromStdString(text));
    }

    ClientMachine machine;
    Client client;
    ScriptedPrefServices services;
};

TEST_F(PreferencesWindow, OnlyTheAdministratorPasswordOpensTheProperties) {
    machine.setMachineString("AdminPass", EncodeAdminPassword("root pw"));
    open();
    EXPECT_EQ(form().PageControl1->currentWidget(), form().TabSheetIdent);
    EXPECT_FALSE(form().propertiesShown());
    login("wrong");
    ASSERT_EQ(client.prompter.calls.size(), 1u);
    EXPECT_EQ(client.prompter.calls[0].kind, Kind::Warn);
    EXPECT_EQ(client.prompter.calls[0].text, "Login failed!");
    EXPECT_FALSE(form().propertiesShown());
    login(" root pw ");
    EXPECT_TRUE(form().propertiesShown());
    EXPECT_EQ(form().PageControl1->currentWidget(), form().TabSheetProps);
    EXPECT_TRUE(form().BitBtnSave->isEnabled());

    // Shown again, it asks again; a user who may not write the settings may look only.
    form().hide();
    client.form().editableSettings().IsAdmin = false;
    form().show();
    EXPECT_FALSE(form().propertiesShown());
    EXPECT_TRUE(form().EditPassword->text().isEmpty());
    EXPECT_FALSE(form().BitBtnSave->isEnabled());
}

TEST_F(PreferencesWindow, BrowseButtonsAndEditsFillTheirRows) {
    open();
    login("");
    ASSERT_TRUE(form().propertiesShown());
    const std::string user = client.form().settings().UserName;
    services.directory = "/srv/base";
    form().BrowseClick(kRowBaseSaveDir);
    EXPECT_EQ(form().value(kRowBaseSaveDir), "/srv/base");
    EXPECT_EQ(form().value(kRowUserSaveDir), "/srv/base/" + user);
    services.directory = "/srv/work";
    form().BrowseClick(kRowWorkDir);
    EXPECT_EQ(form().value(kRowWorkDir), "/srv/work");
    EXPECT_THAT(services.captions, ::testing::ElementsAre("Select Base save directory", "Select Working directory"));
    services.directory.reset();
    form().BrowseClick(kRowWorkDir);
    EXPECT_EQ(form().value(kRowWorkDir), "/srv/work") << "cancelled: unchanged";
    services.processor = "/usr/local/bin/gs";
    form().BrowseClick(kRowProcessor);
    EXPECT_EQ(form().value(kRowProcessor), "/usr/local/bin/gs");
    services.addresses = std::vector<std::string>{"a@s", "", "b@s:20203"};
    form().BrowseClick(kRowAddresses);
    EXPECT_EQ(form().value(kRowAddresses), "a@s; b@s:20203");

    edit(kRowBaseSaveDir, "/home/shared");
    EXPECT_EQ(form().value(kRowUserSaveDir), "/home/shared/" + user);
    for (int row : {kRowUserSaveDir, kRowAddresses})
        EXPECT_FALSE(form().ValueListEditor1->item(row - 1, 1)->flags() & Qt::ItemIsEditable) << "row " << row;
    // A choice row is edited with a pick list of its choices, never free text.
    form().ValueListEditor1->editItem(form().ValueListEditor1->item(kRowEmailDpi - 1, 1));
    auto* pick = form().ValueListEditor1->findChild<QComboBox*>();
    ASSERT_TRUE(pick);
    EXPECT_FALSE(pick->isEditable());
    ASSERT_EQ(pick->count(), 5);
    EXPECT_EQ(pick->itemText(4).toStdString(), "120 (perfect view)");
    pick->setCurrentIndex(2);
    emit pick->activated(2);
    form().ValueListEditor1->setCurrentIndex(QModelIndex());
    EXPECT_EQ(form().value(kRowEmailDpi), "90 dpi");
    EXPECT_EQ(form().ValueListEditor1->item(0, 1)->foreground().color(), QColor(0, 0, 128));
}

TEST_F(PreferencesWindow, SaveActsOnTheRunningClientAndSaysWhenTheSettingsCannotBeWritten) {
    open();
    login("");
    const std::string newWork = machine.machine.dir().file("elsewhere/jobs");
    form().setValue(kRowWorkDir, newWork);
    form().setValue(kRowExit, "No");
    form().setValue(kRowTools, "No");
    form().setValue(kRowLater, "No");
    form().BitBtnSaveClick();
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(client.prompter.calls.empty());
    EXPECT_FALSE(client.form().Exit1->isEnabled());
    EXPECT_FALSE(client.form().Exit2->isEnabled());
    EXPECT_FALSE(client.form().Tools1->menuAction()->isEnabled());
    EXPECT_FALSE(client.form().settings().Later_En);
    EXPECT_TRUE(fs::is_directory(newWork)) << "the new working directory is made at once";
    EXPECT_EQ(LoadClientSettings().settings.FirstTempDir, newWork);

    // The settings file is replaced by a folder: nothing can be written.
    form().show();
    login("");
    const std::string hive = machine.machine.dir().file("machine.reg");
    fs::rename(hive, hive + ".aside");
    fs::create_directory(hive);
    form().setValue(kRowExit, "Yes");
    form().BitBtnSaveClick();
    ASSERT_EQ(client.prompter.calls.size(), 1u);
    EXPECT_EQ(client.prompter.calls[0].text, "Failed to update registry.");
    EXPECT_EQ(client.prompter.calls[0].caption, kApplicationTitle);
    EXPECT_TRUE(client.form().Exit1->isEnabled()) << "the running client keeps what was changed";
    EXPECT_FALSE(form().isVisible());
}

}  // namespace
