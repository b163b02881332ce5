#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "extras/UXML.h"
#include "gateway/USetVar.h"
#include "gateway/Upargen.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>

#include <gtest/gtest.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::ScriptedPrompts;
using gwtest::TempDir;
using gwtest::WriteFile;

namespace {

class XmlWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static TempDir exe;
        if (!FXML)
            CreateAllWindows(exe.Path());
    }

    void SetUp() override {
        Project.ProjectDir = project.Path();
        SetProjectPaths(Project);
        w.FormShow();
    }

    // Opens `path` through the "Open " button and the file dialog.
    void Open(const std::string& path) {
        prompts.AnswerFile(QString::fromStdString(path));
        w.btnopen->click();
    }

    XmlTreeModel& Model() { return *w.Model(); }

    // The item reached from the top item through the given rows.
    QModelIndex At(std::initializer_list<int> rows) {
        QModelIndex i = Model().index(0, 0);
        for (int r : rows)
            i = Model().index(r, 0, i);
        return i;
    }
    QString Text(std::initializer_list<int> rows) { return Model().Text(At(rows)); }

    void Select(const QModelIndex& i) { w.TvXml->setCurrentIndex(i); }

    // Runs `inDialog` once the one-line dialog is open, after `trigger`.
    QString EditWith(const std::function<void()>& trigger, const std::function<void()>& inDialog) {
        QString caption;
        QTimer::singleShot(0, [&] {
            caption = Fsaveproj->isVisible() ? Fsaveproj->windowTitle() : QString();
            inDialog();
        });
        trigger();
        QApplication::processEvents();
        return caption;
    }
    // Replaces the dialog's text by typing and confirms with Enter.
    static void TypeAndConfirm(const QString& text) {
        QLineEdit* edit = Fsaveproj->Edit1;
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    TFXML& w = *FXML;
    TempDir project;
    TempDir source;
    ScriptedPrompts prompts;
};

TEST_F(XmlWindow, IsCreatedInItsPlaceAmongTheWindows) {
    const QObjectList windows = FBrinvaleFirmWare->children();
    const auto position = [&](QObject* o) { return windows.indexOf(o); };
    ASSERT_GE(position(FXML), 0);
    EXPECT_LT(position(Fpargen), position(FXML));
    EXPECT_LT(position(FXML), position(FSetVar));
    EXPECT_EQ(w.windowTitle(), "XML Reader & Writer");
    EXPECT_EQ(w.btnopen->text(), "Open ");
    EXPECT_EQ(w.btnFullExpand->text(), "Full Expand");
    EXPECT_EQ(w.btnWrite->text(), "Write");
}

TEST_F(XmlWindow, LayoutFollowsTheWindowSize) {
    w.show();
    w.resize(732, 560);
    EXPECT_EQ(w.size(), QSize(732, 560));
    EXPECT_LT(w.btnopen->x(), w.btnFullExpand->x());
    EXPECT_EQ(w.btnWrite->geometry().right(), 732 - 9);
    EXPECT_EQ(w.TvXml->geometry().bottom(), 559);
    EXPECT_EQ(w.TvXml->width(), 732);
    w.resize(900, 700);
    EXPECT_EQ(w.btnWrite->geometry().right(), 900 - 9);
    EXPECT_EQ(w.TvXml->geometry().bottom(), 699);
    EXPECT_EQ(w.TvXml->width(), 900);
    w.resize(732, 560);
    w.hide();
}

TEST_F(XmlWindow, OpenShowsTheTreeWithCaptionsAndImages) {
    WriteFile(source / "plant.xml", "<?xml version=\"1.0\"?>\n<plant id_dev=\"5\" empty=\"\">\n"
                                    "  <a>x<!-- note -->y</a><?pi go?>\n</plant>");
    Open(source / "plant.xml");
    ASSERT_EQ(prompts.All().size(), 1u);
    const gwtest::Shown& dialog = prompts.All()[0];
    EXPECT_EQ(dialog.kind, gwtest::Shown::OpenFile);
    EXPECT_EQ(dialog.text, "Open XML File");
    EXPECT_EQ(dialog.filter, "XML Files (*.xml)|*.xml");
    EXPECT_EQ(dialog.folder.toStdString(), project.Path());
    EXPECT_TRUE(w.btnopen->isEnabled());

    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Text({}), "File: plant.xml");
    EXPECT_EQ(Text({0}), "XMLDeclaration");
    EXPECT_EQ(Text({0, 0}), "version = 1.0");
    EXPECT_EQ(Text({1}), "plant");
    EXPECT_EQ(Text({1, 0}), "id_dev = 5");
    EXPECT_EQ(Text({1, 1}), "empty");
    EXPECT_EQ(Text({1, 2}), "a = xy");
    EXPECT_EQ(Text({1, 3}), "piProcessingInstruction = go");

    // Kind k shows image 2k, and 2k + 1 when selected.
    const auto& images = XmlTreeImages();
    const struct {
        QModelIndex index;
        int kind;
    } kinds[] = {{At({}), 0}, {At({1}), 1}, {At({1, 0}), 2}, {At({1, 3}), 3}, {At({0}), 4}};
    for (const auto& k : kinds) {
        const QIcon icon = Model().data(k.index, Qt::DecorationRole).value<QIcon>();
        EXPECT_EQ(icon.pixmap(16, 16, QIcon::Normal).toImage(), images[2 * k.kind].toImage());
        EXPECT_EQ(icon.pixmap(16, 16, QIcon::Selected).toImage(), images[2 * k.kind + 1].toImage());
    }
    for (const QPixmap& p : images)
        EXPECT_EQ(p.size(), QSize(16, 16));
}

// Records whether "Open " was enabled while its file dialog was open.
class WatchingPrompts : public ScriptedPrompts {
public:
    std::optional<QString> OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter) override {
        openEnabled = FXML->btnopen->isEnabled();
        return ScriptedPrompts::OpenFile(parent, caption, folder, filter);
    }
    bool openEnabled = true;
};

TEST_F(XmlWindow, OpenIsDisabledWhileItRuns) {
    WatchingPrompts watching;
    watching.CancelFile();
    w.btnopen->click();
    EXPECT_FALSE(watching.openEnabled);
    EXPECT_TRUE(w.btnopen->isEnabled());
}

TEST_F(XmlWindow, ShowEmptiesTheTree) {
    WriteFile(source / "a.xml", "<a/>");
    Open(source / "a.xml");
    EXPECT_EQ(Model().rowCount(), 1);
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(Model().rowCount(), 0);
    w.hide();
}

TEST_F(XmlWindow, CancelAndErrorsLeaveTheTreeAsItWas) {
    WriteFile(source / "good.xml", "<good/>");
    Open(source / "good.xml");

    prompts.CancelFile();
    w.btnopen->click();
    EXPECT_TRUE(w.btnopen->isEnabled());
    EXPECT_EQ(Text({}), "File: good.xml");

    WriteFile(source / "bad.xml", "<a><b></a>");
    Open(source / "bad.xml");
    WriteFile(source / "blank.xml", "  \n");
    Open(source / "blank.xml");
    Open(source / "missing.xml");
    EXPECT_EQ(
        prompts.Errors(),
        (QStringList{"End tag name \"a\" does not match start tag name \"b\"", "Missing element",
                     QString::fromStdString("Cannot open file '" + source / "missing.xml" +
                                            "': No such file or directory")}));
    EXPECT_TRUE(w.btnopen->isEnabled());
    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Text({}), "File: good.xml");
    EXPECT_EQ(Text({0}), "good");
}

TEST_F(XmlWindow, ALongOpenShowsItsProgressAndCancelLeavesTheTreeAsItWas) {
    WriteFile(source / "good.xml", "<good/>");
    std::string rows = "<rows>";
    for (int i = 0; i < 20000; ++i)
        rows += "<row a=\"1\" b=\"2\"/>\n";
    WriteFile(source / "large.xml", rows + "</rows>");
    w.show();
    QApplication::processEvents();
    Open(source / "good.xml");
    // Presses Cancel in the progress dialog as soon as it shows; its text.
    const auto cancelDuringOpen = [&] {
        QString shown;
        QTimer::singleShot(0, &w, [&] {
            for (auto* note : w.findChildren<QProgressDialog*>())
                if (note->isVisible()) {
                    shown = note->labelText();
                    QTest::mouseClick(note->findChild<QPushButton*>(), Qt::LeftButton);
                }
        });
        Open(source / "large.xml");
        QApplication::processEvents(); // the timer runs by now, dialog or not
        return shown;
    };
    prompts.Clear();
    w.ProgressAfterMs = 0; // as if the Open had taken long already
    EXPECT_EQ(cancelDuringOpen(), "Reading the XML file...");
    EXPECT_EQ(prompts.Texts(), QStringList()) << "the user's own Cancel needs no message";
    EXPECT_TRUE(w.btnopen->isEnabled());
    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Text({}), "File: good.xml");
    EXPECT_EQ(Text({0}), "good");

    w.ProgressAfterMs = 60000; // a quick Open shows no dialog and goes through
    EXPECT_EQ(cancelDuringOpen(), "");
    EXPECT_EQ(Text({}), "File: large.xml");
    EXPECT_EQ(Model().rowCount(At({})), 1);
    EXPECT_EQ(Model().rowCount(At({0})), 20000);
    w.ProgressAfterMs = 1000;
    w.hide();
}

TEST_F(XmlWindow, F2OnAnAttributeThenWriteStoresTheNewValue) {
    WriteFile(source / "emcy.xml", "<emcydef><row id_dev=\"5\" bypass_set=\"0\"/></emcydef>");
    Open(source / "emcy.xml");
    w.TvXml->expand(At({}));
    w.TvXml->expand(At({0}));
    w.TvXml->expand(At({0, 0}));
    Select(At({0, 0, 0}));
    EXPECT_EQ(Text({0, 0, 0}), "id_dev = 5");

    const QString caption = EditWith([&] { QTest::keyClick(w.TvXml, Qt::Key_F2); },
                                     [] { TypeAndConfirm("id_dev = 6"); });
    EXPECT_EQ(caption, "Edit XML");
    EXPECT_EQ(SaveProjMode, 1);
    EXPECT_EQ(Text({0, 0, 0}), "id_dev = 6");

    w.btnWrite->click();
    EXPECT_TRUE(w.btnWrite->isEnabled());
    EXPECT_EQ(prompts.Errors(), QStringList());
    EXPECT_EQ(ReadFile(project / "emcy.xml"),
              "<emcydef><row id_dev=\"6\" bypass_set=\"0\"/></emcydef>");
}

TEST_F(XmlWindow, RightButtonEditsTheSelectedNodeNotTheOneUnderThePointer) {
    WriteFile(source / "r.xml", "<r a=\"1\" b=\"2\"/>");
    w.resize(732, 560);
    w.show(); // empties the tree: open after
    Open(source / "r.xml");
    w.TvXml->expandAll();
    QApplication::processEvents();
    Select(At({0, 0}));
    const QPoint onB = w.TvXml->visualRect(At({0, 1})).center();
    ASSERT_FALSE(onB.isNull());

    QString shown;
    EditWith([&] { QTest::mousePress(w.TvXml->viewport(), Qt::RightButton, {}, onB); },
             [&] {
                 shown = Fsaveproj->Edit1->text();
                 TypeAndConfirm("a = 10");
             });
    QTest::mouseRelease(w.TvXml->viewport(), Qt::RightButton, {}, onB);
    EXPECT_EQ(shown, "a = 1");
    EXPECT_EQ(Text({0, 0}), "a = 10");
    EXPECT_EQ(Text({0, 1}), "b = 2");
    EXPECT_EQ(w.TvXml->currentIndex(), At({0, 0}));

    // Cancel keeps the node's text.
    EditWith([&] { QTest::keyClick(w.TvXml, Qt::Key_F2); },
             [] {
                 Fsaveproj->Edit1->setText("changed");
                 Fsaveproj->bitbtn2->click();
             });
    EXPECT_EQ(Text({0, 0}), "a = 10");
    w.hide();
}

TEST_F(XmlWindow, F2WithNothingSelectedDoesNothing) {
    WriteFile(source / "r.xml", "<r/>");
    Open(source / "r.xml");
    w.TvXml->clearSelection();
    const QString caption =
        EditWith([&] { QTest::keyClick(w.TvXml, Qt::Key_F2); }, [] { Fsaveproj->reject(); });
    EXPECT_EQ(caption, "");
    EXPECT_EQ(Text({}), "File: r.xml");
}

TEST_F(XmlWindow, DocumentsTheProgramWritesComeBackUnchanged) {
    PargenFields fields;
    fields.sendTime = "250";
    fields.profiId = "17";
    WriteFile(source / "pargen.xml", PargenDocumentText(fields));
    WriteFile(source / "sdo.xml",
              FrameDocumentText(FrameListKind::Receive, {{"$181", "8", "0x1B", "N", "Pump & valve"},
                                                         {"$2A0", "2", "0x01", "Y", ""}}));
    WriteFile(source / "pdo.xml",
              FrameDocumentText(FrameListKind::Send, {{"$201", "4", "0x00", "", "Out <1>"}}));
    for (const char* name : {"rpdodef.xml", "sdopdo.xml", "emcydef.xml", "emcyword.xml"})
        std::filesystem::copy_file(gwtest::DataPath(std::string("extras/documents/") + name),
                                   source / name);

    for (const char* name : {"pargen.xml", "sdo.xml", "pdo.xml", "rpdodef.xml", "sdopdo.xml",
                             "emcydef.xml", "emcyword.xml"}) {
        Open(source / name);
        w.btnFullExpand->click();
        w.btnWrite->click();
        EXPECT_EQ(ReadFile(project / name), ReadFile(source / name)) << name;
    }
    EXPECT_EQ(prompts.Errors(), QStringList());
}

TEST_F(XmlWindow, WriteTellsWhyItWroteNothing) {
    WriteFile(source / "r.xml", "<r a=\"1\" b=\"2\"/>");
    w.btnWrite->click(); // nothing opened yet
    Open(source / "r.xml");
    Model().SetText(At({}), "File: ../r.xml");
    w.btnWrite->click();
    Model().SetText(At({}), "File: r.xml");
    Model().SetText(At({0, 1}), "a = 3");
    w.btnWrite->click();
    EXPECT_EQ(prompts.Errors(), (QStringList{"Nothing to write: open an XML file first",
                                             "File name not valid: \"../r.xml\"",
                                             "Attribute \"a\" appears twice in \"r\""}));
    EXPECT_TRUE(w.btnWrite->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(project / "r.xml"));
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::path(project.Path()).parent_path() / "r.xml"));

    // A file the system refuses: its reason in the error box.
    std::filesystem::create_directory(project / "dir.xml");
    Model().SetText(At({0, 1}), "b = 2");
    Model().SetText(At({}), "File: dir.xml");
    prompts.Clear();
    w.btnWrite->click();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].startsWith("Cannot write file"))
        << prompts.Errors()[0].toStdString();
}

TEST_F(XmlWindow, FullExpandOpensEveryNode) {
    WriteFile(source / "deep.xml", "<a><b><c><d x=\"1\"/></c></b><e/></a>");
    Open(source / "deep.xml");
    w.btnFullExpand->click();
    for (const QModelIndex& i : {At({}), At({0}), At({0, 0}), At({0, 0, 0}), At({0, 0, 0, 0})})
        EXPECT_TRUE(w.TvXml->isExpanded(i)) << Model().Text(i).toStdString();
    EXPECT_EQ(Text({0, 0, 0, 0, 0}), "x = 1");
}

// Saves a picture of the window with a document open and fully expanded when
// GW_SHOT_DIR names a folder, to look at.
TEST_F(XmlWindow, PictureOfAnExpandedDocument) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    std::filesystem::copy_file(gwtest::DataPath("extras/documents/rpdodef.xml"),
                               source / "rpdodef.xml");
    WriteFile(source / "decl.xml", "<?xml version=\"1.0\"?><?style x?><r k=\"v\">t<a><b/></a></r>");
    w.resize(732, 560);
    w.show();
    Open(source / "decl.xml");
    w.btnFullExpand->click();
    Select(At({2, 0}));
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/xml_window_decl.png"));
    Open(source / "rpdodef.xml");
    w.btnFullExpand->click();
    Select(At({0, 1, 2}));
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/xml_window.png"));

    // A large tree: the note shown while the view lays out every row.
    std::string rows = "<rows>";
    for (int i = 0; i < 10000; ++i)
        rows += "<row a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\"/>";
    WriteFile(source / "large.xml", rows + "</rows>");
    Open(source / "large.xml");
    QTimer::singleShot(0, [&] {
        auto* note = w.findChild<QProgressDialog*>();
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(note->grab().save(out + "/xml_window_expanding.png"));
    });
    w.btnFullExpand->click();
    w.hide();
}

} // namespace
