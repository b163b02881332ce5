// The progress dialogs of the bridge editors: the load of a show and an
// Import each show one past their moment, and Cancel leaves the editor and
// its document as they were before: a cancelled load closes the editor
// again, a cancelled import keeps what the editor held.
#include "bridge/UInfoPdo.h"
#include "bridge/USdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"
#include "bridge/Updo.h"

#include "../gateway/gateway_window_fixture.h"
#include "bridge_test_support.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

using gwtest::ReadFile;
using gwtest::WriteFile;

struct Editor {
    const char* name;
    std::function<gw::BridgeWindow*()> window;
    const char* file;     // the document its show reads and its OK writes
    const char* document; // a document of one entry
    const char* workbook; // a workbook with its sheet
    // What the editor holds, as the document its OK would write.
    std::function<std::string()> state;
};

const Editor kEditors[] = {
    {"SDO access", [] { return gw::Fsdo; }, "sdoaccess.xml",
     "<sdo><row conf=\"16\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"0x6000\" "
     "SubindexB=\"2\" nbyteB=\"4\" mnemonico=\"speed\"/></sdo>",
     "bridge/sheets.xlsx", [] { return gw::SdoAccessDocumentText(gw::Fsdo->Tables()); }},
    {"PDO translation", [] { return gw::Fpdo; }, "rpdodef.xml",
     "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"5\" en_bypass=\"1\" posind=\"1\" "
     "n_tpdo=\"2\"/></rpdodef>",
     "bridge/sheets.xls", [] { return gw::PdoTranslationDocumentText(gw::Fpdo->Tables()); }},
    {"EMCY", [] { return gw::Femcy; }, "emcydef.xml",
     "<emcydef><row id_dev=\"3\" mask_eq_ec=\"0\" mask_eq_er=\"0\" mask_eq_m1=\"0\" "
     "mask_eq_m2=\"0\" mask_eq_m3=\"0\" enmask_eq_ec=\"0\" enmask_eq_er=\"0\" enmask_eq_m1=\"0\" "
     "enmask_eq_m2=\"0\" enmask_eq_m3=\"0\" bypass_set=\"5\"/></emcydef>",
     "bridge/definitions.xlsx", [] { return gw::EmcyDefDocumentText(gw::Femcy->Lists()); }},
    {"EMCY word", [] { return gw::FWemcy; }, "emcyword.xml",
     "<emcyword><row index_addrm=\"4096\" subindex=\"1\" extdata=\"0\" devid=\"5\"/></emcyword>",
     "bridge/definitions.ods", [] { return gw::EmcyWordDocumentText(gw::FWemcy->Words()); }},
    {"stored PDO", [] { return gw::FInfopdo; }, "sdopdo.xml",
     "<sdopdo><row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"/></sdopdo>",
     "bridge/definitions.xls", [] { return gw::StoredPdoDocumentText(gw::FInfopdo->Model()); }},
};

class LongWork : public gwtest::GatewayWindowTest {
protected:
    // The editor's document; the stored PDO editor's entries belong to the
    // PDOs of kThreePdos.
    void WriteDocument(const Editor& e) {
        WriteFile(dir / "rpdodef.xml", gwtest::kThreePdos);
        WriteFile(dir / e.file, e.document);
    }

    // Presses Cancel in the progress dialog of `w` as soon as it shows during
    // `work`; returns the dialog's text, empty when none showed.
    static QString CancelDuring(gw::BridgeWindow* w, const std::function<void()>& work) {
        QString shown;
        QTimer::singleShot(0, w, [&] {
            for (auto* note : w->findChildren<QProgressDialog*>())
                if (note->isVisible()) {
                    shown = note->labelText();
                    QTest::mouseClick(note->findChild<QPushButton*>(), Qt::LeftButton);
                }
        });
        work();
        QApplication::processEvents();
        return shown;
    }
};

TEST_F(LongWork, ACancelledLoadClosesTheEditorAndLeavesItsDocument) {
    for (const Editor& e : kEditors) {
        SCOPED_TRACE(e.name);
        gw::BridgeWindow* w = e.window();
        const std::string path = dir / e.file;
        WriteDocument(e);
        prompts.Clear();
        w->setResult(-1);
        w->ProgressAfterMs = 0; // as if the load had taken long already
        const QString shown = CancelDuring(w, [&] { w->show(); });
        EXPECT_EQ(shown, QString("Reading %1...").arg(e.file));
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Rejected);
        EXPECT_TRUE(prompts.Texts().isEmpty()) << "the user's own Cancel needs no message";
        EXPECT_EQ(ReadFile(path), e.document);

        // A quick load shows no dialog and the document.
        w->ProgressAfterMs = 60000;
        EXPECT_EQ(CancelDuring(w, [&] { w->show(); }), "");
        EXPECT_TRUE(w->isVisible());
        const std::string loaded = e.state();
        EXPECT_NE(loaded.find("<row"), std::string::npos) << loaded;
        w->hide();
        w->ProgressAfterMs = gw::kProgressAfterMs;
    }
}

TEST_F(LongWork, ACancelledImportKeepsWhatTheEditorHeld) {
    for (const Editor& e : kEditors) {
        SCOPED_TRACE(e.name);
        gw::BridgeWindow* w = e.window();
        WriteDocument(e);
        w->ProgressAfterMs = 60000;
        w->show();
        QApplication::processEvents();
        const std::string before = e.state();
        const QString workbook = QString::fromStdString(gwtest::DataPath(e.workbook));

        prompts.Clear();
        prompts.AnswerFile(workbook);
        w->ProgressAfterMs = 0;
        const QString shown = CancelDuring(w, [&] { w->bitbtn4->click(); });
        EXPECT_EQ(shown, "Importing the workbook...");
        EXPECT_EQ(e.state(), before);
        ASSERT_EQ(prompts.All().size(), 1u) << "only the open dialog";
        EXPECT_EQ(prompts.All()[0].kind, gwtest::Shown::OpenFile);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(ReadFile(dir / e.file), e.document);

        // Not cancelled, the same import changes what the editor holds.
        prompts.AnswerFile(workbook);
        w->ProgressAfterMs = 60000;
        w->bitbtn4->click();
        EXPECT_NE(e.state(), before);
        w->hide();
        w->ProgressAfterMs = gw::kProgressAfterMs;
    }
}

} // namespace
