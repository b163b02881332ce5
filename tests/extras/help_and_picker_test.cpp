#include "app/project_globals.h"
#include "extras/SELstringhe.h"
#include "extras/Uhelp.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QTableWidget>
#include <QTextEdit>

#include <filesystem>

#include <gtest/gtest.h>

using namespace gw;
using gwtest::ScriptedPrompts;
using gwtest::TempDir;

namespace {

TEST(HelpWindow, ShowsTheHelpFile) {
    TempDir exe;
    ScriptedPrompts prompts;
    Project.ShareDir = exe.Path();
    gwtest::WriteFile(exe / "help2.dat", "<html><body><h2>Steps</h2><p>One</p></body></html>");
    TFHelp help;
    help.FormShow();
    EXPECT_EQ(help.RichEdit1->toPlainText(), "Steps\nOne");
    EXPECT_TRUE(prompts.All().empty());

    gwtest::WriteFile(exe / "help2.dat", "plain <text> & more");
    help.FormShow();
    EXPECT_EQ(help.RichEdit1->toPlainText(), "plain <text> & more");
}

TEST(HelpWindow, MissingFileEmptiesTheWindow) {
    TempDir exe;
    ScriptedPrompts prompts;
    Project.ShareDir = exe.Path();
    gwtest::WriteFile(exe / "help2.dat", "old text");
    TFHelp help;
    help.FormShow();
    std::filesystem::remove(exe / "help2.dat");
    help.FormShow();
    EXPECT_EQ(help.RichEdit1->toPlainText(), "");
    EXPECT_EQ(prompts.Messages(), QStringList{"Impossible to read file Help"});
}

TEST(StringPicker, FillsFromTheStringsFileAndRemembersTheSelection) {
    TempDir dir;
    ScriptedPrompts prompts;
    gwtest::WriteFile(dir / "strings.xml", "<strings><s>zero</s><t>one</t><s>two</s></strings>");
    StringsFilePath = dir / "strings.xml";
    SelectedStringIndex = 0;
    TFSELstringhe picker;
    picker.resize(496, 351);
    picker.FormShow();
    EXPECT_TRUE(prompts.All().empty());
    ASSERT_EQ(picker.sg->rowCount(), 1000);
    EXPECT_EQ(picker.sg->horizontalHeaderItem(0)->text(), "Index");
    EXPECT_EQ(picker.sg->horizontalHeaderItem(1)->text(), "String");
    EXPECT_EQ(picker.sg->item(2, 0)->text(), "2");
    EXPECT_EQ(picker.sg->item(999, 0)->text(), "999");
    EXPECT_EQ(picker.sg->item(0, 1)->text(), "zero");
    EXPECT_EQ(picker.sg->item(1, 1)->text(), "one");
    EXPECT_EQ(picker.sg->item(2, 1)->text(), "two");
    EXPECT_EQ(picker.sg->item(3, 1)->text(), "");

    picker.sg->setCurrentCell(5, 1);
    EXPECT_EQ(SelectedStringIndex, 5);
    EXPECT_EQ(picker.Label1->text(), "Sel str: 5");

    // The next show starts on that row.
    picker.FormShow();
    EXPECT_EQ(picker.sg->currentRow(), 5);
    EXPECT_EQ(picker.Label1->text(), "Sel str: 5");
}

TEST(StringPicker, MissingOrBrokenFileIsReported) {
    TempDir dir;
    ScriptedPrompts prompts;
    TFSELstringhe picker;
    StringsFilePath.clear();
    picker.FormShow();
    gwtest::WriteFile(dir / "bad.xml", "<strings><s>zero</strings>");
    StringsFilePath = dir / "bad.xml";
    picker.FormShow();
    EXPECT_EQ(prompts.Messages(),
              (QStringList{"File strings XML not found", "Error in reading file XML"}));
    EXPECT_EQ(picker.sg->item(0, 1)->text(), "");
}

} // namespace
