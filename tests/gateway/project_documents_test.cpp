// The one reading of a project's documents: what each value holds, and how a
// document that cannot be read turns into a value rather than an exception.
#include "gateway/project_documents.h"

#include "common/errors.h"
#include "support/findings_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace gw {
namespace {

TEST(ProjectDocuments, AnEmptyFolderHasEveryDocumentMissing) {
    gwtest::TempDir dir;
    const ProjectDocuments docs = ReadProjectDocuments(dir.Path());
    for (const DocumentRead* d : {static_cast<const DocumentRead*>(&docs.parameters),
                                  static_cast<const DocumentRead*>(&docs.receive),
                                  static_cast<const DocumentRead*>(&docs.send)}) {
        EXPECT_EQ(d->state, DocumentState::Missing) << d->name;
        EXPECT_NO_THROW(d->ThrowIfFailed());
    }
    EXPECT_EQ(docs.receive.path, dir / "sdo.xml");
    EXPECT_EQ(docs.send.name, "pdo.xml");
    EXPECT_TRUE(GeneratorFindings(docs.receive, true).empty());
}

TEST(ProjectDocuments, EveryChildOfTheListIsAFrameWithItsAttributesAsText) {
    gwtest::TempDir dir;
    // The root is not checked by name; the list element is; children count whatever they are.
    gwtest::WriteFile(dir / "pdo.xml",
                      "<Anything>\n  <Other><row Cob_Id=\"1\"/></Other>\n  <Send_Frames>\n"
                      "    <row Cob_Id=\"$201\" Dimension=\" 4\" Swap=\"\" Mnemonic=\"a&amp;b\"/>\n"
                      "    <frame Dimension=\"2\"/>\n    <!-- note -->\n  </Send_Frames>\n"
                      "</Anything>");
    const FrameListDocument doc = ReadFrameListDocument(FrameListKind::Send, dir / "pdo.xml");
    ASSERT_EQ(doc.state, DocumentState::Read);
    EXPECT_TRUE(doc.hasList);
    const std::vector<FrameRecord>& r = doc.records;
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].CobId, "$201");
    EXPECT_EQ(r[0].Dimension, " 4");
    EXPECT_EQ(r[0].Swap, "");
    EXPECT_EQ(r[0].Delete, std::nullopt);
    EXPECT_EQ(r[0].Mnemonic, "a&b");
    EXPECT_EQ(r[1].CobId, std::nullopt);
    EXPECT_EQ(r[1].Dimension, "2");
    EXPECT_EQ(r[2].Dimension, std::nullopt);

    // The records outlive a copy of the value and the original.
    FrameListDocument copy = doc;
    {
        const FrameListDocument moved = std::move(copy);
        EXPECT_EQ(moved.records[0].Mnemonic, "a&b");
    }
    EXPECT_EQ(doc.records[0].CobId, "$201");
}

TEST(ProjectDocuments, GeneratorFindingsNameDocumentRowAndColumn) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "sdo.xml", "<R><Receive_Frames>"
                                       "<row Cob_Id=\"$181\" Dimension=\"8\"/>"
                                       "<row Dimension=\"9\"/>"
                                       "<row Cob_Id=\"abc\"/>"
                                       "</Receive_Frames></R>");
    const FrameListDocument doc = ReadFrameListDocument(FrameListKind::Receive, dir / "sdo.xml");
    const Findings all = GeneratorFindings(doc, true);
    const std::string path = dir / "sdo.xml";
    const Findings expected = {
        {"sdo.xml", 2, 1, "Frame 2 in '" + path + "' has no attribute 'Cob_Id'"},
        {"sdo.xml", 2, 2, "Error row 2!! CANOpen Dimension must be between 1 and 8. "},
        {"sdo.xml", 3, 1, "'abc' is not a valid integer value"},
        {"sdo.xml", 3, 2, "Frame 3 in '" + path + "' has no attribute 'Dimension'"},
    };
    EXPECT_EQ(all, expected);
    // The GSD file needs no Cob_Id.
    EXPECT_EQ(gwtest::Messages(GeneratorFindings(doc, false)),
              (std::vector<std::string>{expected[1].message, expected[3].message}));
    EXPECT_EQ(StopText(all[1]),
              "sdo.xml: Error row 2!! CANOpen Dimension must be between 1 and 8. ");
    EXPECT_EQ(StopText(all[0]), all[0].message);
}

TEST(ProjectDocuments, ADocumentThatCannotBeReadIsAValueThatKeepsItsError) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "pargen.xml", "<Par_Gen><Can_Type>0</Par_Gen>");
    std::filesystem::create_directory(dir / "sdo.xml");
    gwtest::WriteFile(dir / "pdo.xml", "<!-- by hand --><Profibus_to_Send_CAN>"
                                       "<Send_Frames/></Profibus_to_Send_CAN>");
    const ProjectDocuments docs = ReadProjectDocuments(dir.Path());

    EXPECT_EQ(docs.parameters.state, DocumentState::Failed);
    ASSERT_TRUE(docs.parameters.failure);
    EXPECT_EQ(docs.parameters.failure->document, "pargen.xml");
    EXPECT_NE(docs.parameters.failure->message.find("Start-end tags mismatch"), std::string::npos);
    EXPECT_THROW(docs.parameters.ThrowIfFailed(), XmlError);

    EXPECT_EQ(docs.receive.state, DocumentState::Failed);
    EXPECT_THROW(docs.receive.ThrowIfFailed(), FileError);
    EXPECT_EQ(GeneratorFindings(docs.receive, true), Findings{*docs.receive.failure});

    // A comment first is the root: the list is not found under it.
    EXPECT_EQ(docs.send.state, DocumentState::Read);
    EXPECT_FALSE(docs.send.hasList);
    EXPECT_EQ(
        gwtest::Messages(GeneratorFindings(docs.send, true)),
        std::vector<std::string>{"Element 'Send_Frames' not found in '" + (dir / "pdo.xml") + "'"});
}

TEST(ProjectDocuments, ALinkToADocumentIsTheDocument) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "shared.xml",
                      "<R><Send_Frames><row Dimension=\"2\"/></Send_Frames></R>");
    std::filesystem::create_symlink("shared.xml", dir / "pdo.xml");
    const FrameListDocument doc = ReadFrameListDocument(FrameListKind::Send, dir / "pdo.xml");
    EXPECT_EQ(doc.state, DocumentState::Read);
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].Dimension, "2");
}

TEST(ProjectDocuments, ParameterBlockNeedsEveryElementAsAnInteger) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "pargen.xml",
                      "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>x</Can_Type></Par_Gen>");
    const PargenDocument doc = ReadPargenDocument(dir / "pargen.xml");
    EXPECT_EQ(doc.Text("Can_Baud"), "5");
    EXPECT_EQ(doc.Text("Profi_ID"), std::nullopt);
    const std::vector<std::string> messages = gwtest::Messages(ParameterBlockFindings(doc));
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[0], "'x' is not a valid integer value");
    EXPECT_EQ(messages[1], "Element 'Can_Send_Data' not found in '" + (dir / "pargen.xml") + "'");
}

// Documents too big to hold as one tree are read a piece at a time; they must
// read as the same documents small would.
TEST(ProjectDocuments, BigDocumentsReadAsSmallOnesDo) {
    gwtest::TempDir dir;
    std::string rows;
    int n = 0;
    while (rows.size() < (std::size_t(3) << 20)) {
        ++n;
        rows += "  <row Cob_Id=\"$" + std::to_string(100 + n % 900) + "\" Dimension=\"" +
                std::to_string(n % 9) + "\" Mnemonic=\"F&amp;" + std::to_string(n) + "\"/>\n";
        if (n % 1000 == 0)
            rows += "  <!-- a thousand more -->\n";
    }
    const std::string list = "<Profibus_to_Send_CAN>\n <Other/>\n <Send_Frames>\n" + rows +
                             " last words</Send_Frames>\n</Profibus_to_Send_CAN>\n";
    gwtest::WriteFile(dir / "pdo.xml", list);
    const FrameListDocument big = ReadFrameListDocument(FrameListKind::Send, dir / "pdo.xml");
    ASSERT_EQ(big.state, DocumentState::Read);
    EXPECT_TRUE(big.hasList);
    ASSERT_EQ(big.records.size(), static_cast<std::size_t>(n + n / 1000 + 1));
    EXPECT_EQ(big.records[0].Mnemonic, "F&1");
    EXPECT_EQ(big.records[1000].CobId, std::nullopt);      // the comment
    EXPECT_EQ(big.records.back().Dimension, std::nullopt); // the text
    const std::size_t last = big.records.size() - 2;
    EXPECT_EQ(big.records[last].Mnemonic, "F&" + std::to_string(n));
    // Every ninth frame has Dimension 0; a comment or a text has neither attribute.
    const Findings findings = GeneratorFindings(big, true);
    EXPECT_EQ(findings.size(), static_cast<std::size_t>(n / 9 + 2 * (n / 1000 + 1)));

    // Not well-formed far into the list: the message of the whole document.
    std::string broken = list;
    broken.insert(broken.find(" last words"), "<row Dimension=\"1\">");
    gwtest::WriteFile(dir / "sdo.xml", broken);
    const FrameListDocument bad = ReadFrameListDocument(FrameListKind::Receive, dir / "sdo.xml");
    ASSERT_EQ(bad.state, DocumentState::Failed);
    EXPECT_NE(bad.failure->message.find("Start-end tags mismatch (line "), std::string::npos)
        << bad.failure->message;
    EXPECT_TRUE(bad.records.empty());

    // The parameters among many elements nobody reads; the first of two wins.
    std::string notes;
    while (notes.size() < (std::size_t(2) << 20))
        notes += "<Note>a note nobody reads</Note>\n";
    gwtest::WriteFile(dir / "pargen.xml",
                      "<Par_Gen>" + notes + "<Can_Baud>5</Can_Baud>" + notes +
                          "<Can_Baud>6</Can_Baud><Profi_ID><![CDATA[7]]></Profi_ID></Par_Gen>");
    const PargenDocument pargen = ReadPargenDocument(dir / "pargen.xml");
    ASSERT_EQ(pargen.state, DocumentState::Read);
    EXPECT_EQ(pargen.Text("Can_Baud"), "5");
    EXPECT_EQ(pargen.Text("Profi_ID"), "7");
    EXPECT_EQ(pargen.Text("Can_Type"), std::nullopt);
}

} // namespace
} // namespace gw
