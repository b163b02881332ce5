// The folder picker as the user meets it: the real dialog, driven by keys.
#include "app/Unewp.h"
#include "support/temp_dir.h"
#include "ui/folder_picker.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using gw::FolderPicker;

class FolderPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"PROJECTS/Alpha", "PROJECTS/Pump/bin", "PROJECTS/zeta",
                                   "PROJECTS-old/Pump", "PROJECTS/.hidden"})
            std::filesystem::create_directories(dir / folder);
    }
    static QStringList Children(const QTreeWidgetItem* item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i)
            names << item->child(i)->text(0);
        return names;
    }
    static void Key(FolderPicker* picker, Qt::Key key) { QTest::keyClick(picker->Tree, key); }

    gwtest::TempDir dir;
    const std::string root = dir / "PROJECTS";
    const QString qroot = QString::fromStdString(root);
};

TEST_F(FolderPickerTest, RootedTreeWithThePreselectedFolderExpandedAndSelected) {
    FolderPicker picker(nullptr, "Select directory of project", qroot, qroot + "/Pump");
    EXPECT_EQ(picker.Title->text(), "Select directory of project");
    ASSERT_EQ(picker.Tree->topLevelItemCount(), 1);
    const QTreeWidgetItem* top = picker.Tree->topLevelItem(0);
    EXPECT_EQ(top->text(0), "PROJECTS");
    EXPECT_EQ(Children(top), (QStringList{"Alpha", "Pump", "zeta"}));
    ASSERT_NE(picker.Tree->currentItem(), nullptr);
    EXPECT_TRUE(picker.Tree->currentItem()->isExpanded());
    EXPECT_EQ(Children(picker.Tree->currentItem()), QStringList{"bin"});
    EXPECT_EQ(picker.ChosenFolder(), qroot + "/Pump");

    // The arrows walk the tree; nothing lies above its root.
    picker.show();
    Key(&picker, Qt::Key_Down);
    EXPECT_EQ(picker.ChosenFolder(), qroot + "/Pump/bin");
    for (Qt::Key k : {Qt::Key_Home, Qt::Key_Left, Qt::Key_Left, Qt::Key_Up, Qt::Key_Backspace})
        Key(&picker, k);
    EXPECT_EQ(picker.ChosenFolder(), qroot);
    EXPECT_EQ(picker.Tree->topLevelItemCount(), 1);
}

TEST_F(FolderPickerTest, PreselectionOutsideTheRootSelectsTheRoot) {
    for (const std::string& outside : {dir / "PROJECTS-old/Pump", dir.Path(), std::string()}) {
        FolderPicker picker(nullptr, "t", qroot, QString::fromStdString(outside));
        EXPECT_EQ(picker.ChosenFolder(), qroot) << outside;
    }
}

TEST_F(FolderPickerTest, BrowseForFolderReturnsTheFolderChosenWithTheKeyboard) {
    std::string chosen = root + "/Pump";
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<FolderPicker*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        Key(picker, Qt::Key_Down); // bin
        Key(picker, Qt::Key_Down); // zeta
        Key(picker, Qt::Key_Return);
    });
    EXPECT_TRUE(gw::BrowseForFolder(nullptr, "Select directory of project", root, chosen));
    EXPECT_EQ(chosen, root + "/zeta");

    // Escape cancels and keeps the folder that was there.
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<FolderPicker*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        Key(picker, Qt::Key_Up);
        Key(picker, Qt::Key_Escape);
    });
    EXPECT_FALSE(gw::BrowseForFolder(nullptr, "Select directory of project", root, chosen));
    EXPECT_EQ(chosen, root + "/zeta");
}

} // namespace
