// The control-list helpers on real widgets and actions.
#include <orloqt/controls.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace {

TEST(Controls, EnableAndShowWidgetsAndActionsUpToTheFirstNull) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* check = new QCheckBox(&window);
    auto* after = new QLabel(&window);
    QAction action;
    QObject other;  // neither a widget nor an action: skipped
    window.show();

    orloqt::EnableControls(false, {edit, &other, &action, check, nullptr, after});
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(check->isEnabled());
    EXPECT_FALSE(action.isEnabled());
    EXPECT_TRUE(after->isEnabled());  // past the end of the list
    orloqt::EnableControls(true, {edit, &action});
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(action.isEnabled());

    orloqt::ShowControls(false, {edit, &action, nullptr, check});
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(action.isVisible());
    EXPECT_TRUE(check->isVisible());
    orloqt::ShowControls(true, {edit, &action});
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(action.isVisible());
}

TEST(Controls, NumericEditsTakeDigitsOnlyUntilReleased) {
    QLineEdit edit;
    QComboBox combo;
    combo.setEditable(true);
    QLineEdit foreign;
    QIntValidator theirs;
    foreign.setValidator(&theirs);

    orloqt::MakeNumericEdit(true, {&edit, &combo, nullptr, &foreign});
    QTest::keyClicks(&edit, "12a-3 4");
    EXPECT_EQ(edit.text(), "1234");
    QTest::keyClicks(combo.lineEdit(), "7x8");
    EXPECT_EQ(combo.currentText(), "78");
    orloqt::MakeNumericEdit(true, {&edit});  // twice is once
    QTest::keyClicks(&edit, "5");
    EXPECT_EQ(edit.text(), "12345");

    orloqt::MakeNumericEdit(false, {&edit, &foreign});
    QTest::keyClicks(&edit, "b");
    EXPECT_EQ(edit.text(), "12345b");
    EXPECT_EQ(foreign.validator(), &theirs);  // not ours to take away
}

TEST(Controls, ClearEmptiesEditsLabelsAndComboBoxes) {
    QLineEdit edit("text");
    QPlainTextEdit memo("lines");
    QLabel label("caption");
    QComboBox list;
    list.addItems({"a", "b"});
    list.setCurrentIndex(1);
    QComboBox editable;
    editable.setEditable(true);
    editable.addItems({"a", "b"});
    editable.setEditText("typed");
    QCheckBox check("stays");
    check.setChecked(true);

    orloqt::ClearControls({&edit, &memo, &label, &list, &editable, &check, nullptr});
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_TRUE(memo.toPlainText().isEmpty());
    EXPECT_TRUE(label.text().isEmpty());
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(editable.currentIndex(), -1);
    EXPECT_TRUE(editable.currentText().isEmpty());
    EXPECT_EQ(list.count(), 2);  // the items stay
    EXPECT_EQ(check.text(), "stays");
    EXPECT_TRUE(check.isChecked());
}

}  // namespace
