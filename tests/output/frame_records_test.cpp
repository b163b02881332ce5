#include "gateway/frame_records.h"

#include "support/temp_dir.h"
#include "xml/xml_document.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(FrameRecords, AMissingDocumentIsAnEmptyList) {
    gwtest::TempDir dir;
    EXPECT_TRUE(ReadFrameRecords(dir / "sdo.xml", FrameListKind::Receive).empty());
}

TEST(FrameRecords, EveryChildOfTheListIsAFrameWithItsAttributesAsText) {
    gwtest::TempDir dir;
    // The root is not checked by name; the list element is; children count whatever they are.
    gwtest::WriteFile(dir / "pdo.xml",
                      "<Anything>\n  <Other><row Cob_Id=\"1\"/></Other>\n  <Send_Frames>\n"
                      "    <row Cob_Id=\"$201\" Dimension=\" 4\" Swap=\"\" Mnemonic=\"a&amp;b\"/>\n"
                      "    <frame Dimension=\"2\"/>\n    <!-- note -->\n  </Send_Frames>\n"
                      "</Anything>");
    const std::vector<FrameRecord> r = ReadFrameRecords(dir / "pdo.xml", FrameListKind::Send);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].CobId, "$201");
    EXPECT_EQ(r[0].Dimension, " 4");
    EXPECT_EQ(r[0].Swap, "");
    EXPECT_EQ(r[0].Delete, std::nullopt);
    EXPECT_EQ(r[0].Mnemonic, "a&b");
    EXPECT_EQ(r[1].CobId, std::nullopt);
    EXPECT_EQ(r[1].Dimension, "2");
    EXPECT_EQ(r[2].Dimension, std::nullopt);
}

TEST(FrameRecords, TheFirstNodeIsTheRoot) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "sdo.xml", "<!-- saved by hand --><Profibus_to_Receive_CAN>"
                                       "<Receive_Frames/></Profibus_to_Receive_CAN>");
    EXPECT_THROW(ReadFrameRecords(dir / "sdo.xml", FrameListKind::Receive), DocumentError);
    gwtest::WriteFile(dir / "sdo.xml", "<Profibus_to_Receive_CAN><Receive_Frames>");
    EXPECT_THROW(ReadFrameRecords(dir / "sdo.xml", FrameListKind::Receive), XmlError);
}

} // namespace
} // namespace gw
