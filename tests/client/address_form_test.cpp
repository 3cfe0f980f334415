// The request address list window: the saved list in a grid with a title
// row and one empty row, the cursor buttons, editing, adding, deleting and
// moving entries; nothing is stored by the window itself.
#include "client_env.h"

#include "address/taddressform.h"

#include <zentcore/settings.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using zentclient::TAddressForm;
using V = std::vector<std::string>;

class AddressForm : public ::testing::Test {
protected:
    AddressForm() {
        EXPECT_TRUE(zentcore::SaveRequestAddresses({"laser@one", "ink@two"}));
        form.show();
    }
    ~AddressForm() override { form.hide(); }
    std::string cell(int row) const {
        const auto* item = form.StringGrid1->item(row, 1);
        return item ? item->text().toStdString() : std::string();
    }
    bool arrowAt(int row) const { return !form.StringGrid1->item(row, 0)->icon().isNull(); }
    // What finishing an edit of a cell does.
    void edit(int row, const std::string& text) {
        form.StringGrid1->setCurrentCell(row, 1);
        form.StringGrid1->item(row, 1)->setText(QString::fromStdString(text));
    }
    int cursor() const { return form.StringGrid1->currentRow(); }

    testenv::IsolatedMachine machine;
    TAddressForm form;
};

TEST_F(AddressForm, ShowsTheSavedListUnderItsTitleWithARowForANewEntry) {
    EXPECT_EQ(form.windowTitle(), "Request Addresses");
    EXPECT_EQ(form.StringGrid1->rowCount(), 4);
    EXPECT_EQ(cell(0), "Printer address");
    EXPECT_EQ(cell(1), "laser@one");
    EXPECT_EQ(cell(2), "ink@two");
    EXPECT_EQ(cell(3), "");
    EXPECT_EQ(cursor(), 1);
    EXPECT_EQ(form.SelectedRow, 1);
    EXPECT_TRUE(arrowAt(1));
    EXPECT_FALSE(arrowAt(2));
    EXPECT_FALSE(form.StringGrid1->item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(form.StringGrid1->item(2, 0)->flags() & Qt::ItemIsSelectable);
    const std::pair<QPushButton*, const char*> hints[] = {
        {form.BitBtnTop, "Move to Top"},       {form.BitBtnPrior, "Move to previous selection (upper)"},
        {form.BitBtnNextRow, "Move to next selection (down)"}, {form.BitBtnBottom, "Move to Bottom"},
        {form.BitBtnAdd, "Add new entry"},     {form.BitBtnDelete, "Delete current entry"},
        {form.BitBtnMoveUp, "Move this entry up"}, {form.BitBtnDone, "Done"},
        {form.BitBtnCancel, "Cancel"},         {form.BitBtnRefresh, "Refresh"}};
    for (const auto& [b, hint] : hints) EXPECT_EQ(b->toolTip(), hint);
}

TEST_F(AddressForm, TheCursorStaysWithinTheEntryRows) {
    form.BitBtnPriorClick();
    EXPECT_EQ(cursor(), 1);
    form.BitBtnNextRowClick();
    EXPECT_EQ(cursor(), 2);
    EXPECT_EQ(form.SelectedRow, 2) << "moving the cursor selects the row";
    EXPECT_TRUE(arrowAt(2));
    EXPECT_FALSE(arrowAt(1));
    form.BitBtnBottomClick();
    form.BitBtnNextRowClick();
    EXPECT_EQ(cursor(), 3);
    form.BitBtnTopClick();
    EXPECT_EQ(cursor(), 1);
    form.StringGrid1->setCurrentCell(2, 0);
    EXPECT_EQ(form.StringGrid1->currentColumn(), 1) << "the marker column cannot be selected";
}

TEST_F(AddressForm, TypingIntoTheLastRowOrBelowAGapAddsEntries) {
    edit(3, "new@three");
    EXPECT_EQ(form.Addresses, (V{"laser@one", "ink@two", "new@three"}));
    form.BitBtnAddClick();
    form.BitBtnAddClick();
    EXPECT_EQ(form.StringGrid1->rowCount(), 6);
    edit(5, "far@five");
    EXPECT_EQ(form.Addresses, (V{"laser@one", "ink@two", "new@three", "", "far@five"}));
    edit(1, "changed@one");
    EXPECT_EQ(form.Addresses[0], "changed@one");

    // The store drops the gap.
    ASSERT_TRUE(zentcore::SaveRequestAddresses(form.Addresses));
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (V{"changed@one", "ink@two", "new@three", "far@five"}));
}

TEST_F(AddressForm, DeleteAndMoveUpActOnTheCursorRowOnly) {
    form.BitBtnMoveUpClick();   // row 1: nothing above
    EXPECT_EQ(form.Addresses, (V{"laser@one", "ink@two"}));
    form.BitBtnBottomClick();
    form.BitBtnDeleteClick();   // the empty row
    EXPECT_EQ(form.Addresses, (V{"laser@one", "ink@two"}));
    EXPECT_EQ(form.StringGrid1->rowCount(), 4);

    form.StringGrid1->setCurrentCell(2, 1);
    form.BitBtnMoveUpClick();
    EXPECT_EQ(form.Addresses, (V{"ink@two", "laser@one"}));
    EXPECT_EQ(cell(1), "ink@two");
    form.BitBtnDeleteClick();
    EXPECT_EQ(form.Addresses, (V{"ink@two"}));
    EXPECT_EQ(cell(2), "");
    EXPECT_EQ(form.StringGrid1->rowCount(), 4) << "the row count is not reduced";

    form.BitBtnBottomClick();   // the empty row below a gap moves up as an empty entry
    form.BitBtnMoveUpClick();
    EXPECT_EQ(form.Addresses, (V{"ink@two", "", ""}));
}

TEST_F(AddressForm, DoneAndCancelCloseWithTheirResultsAndStoreNothing) {
    edit(1, "edited@one");
    form.BitBtnCancel->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (V{"laser@one", "ink@two"}));

    form.show();
    EXPECT_EQ(cell(1), "laser@one") << "shown again, the saved list";
    edit(1, "edited@one");
    form.BitBtnDone->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Addresses, (V{"edited@one", "ink@two"}));
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (V{"laser@one", "ink@two"}));

    form.show();
    ASSERT_TRUE(zentcore::SaveRequestAddresses({"only@one"}));
    form.BitBtnRefreshClick();
    EXPECT_EQ(form.Addresses, (V{"only@one"}));
    EXPECT_EQ(form.StringGrid1->rowCount(), 3);
}

}  // namespace
