#include "output/bank_image.h"
#include "output/gsd_file.h"

#include "common/errors.h"
#include "common/project_files.h"
#include "project_fixture.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace gw {
namespace {

using gwtest::PargenDocument;
using gwtest::ReceiveDocument;
using gwtest::Row;
using gwtest::Rows;
using gwtest::SendDocument;

std::uint8_t Byte(const BankImage& image, std::size_t at) {
    return static_cast<std::uint8_t>(image.Bytes.at(at));
}

std::uint32_t Long(const BankImage& image, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | Byte(image, at + static_cast<std::size_t>(i));
    return v;
}

class BankProject : public ::testing::Test {
protected:
    void Receive(const std::vector<Row>& rows) {
        gwtest::WriteFile(dir / "sdo.xml", ReceiveDocument(rows));
    }
    void Send(const std::vector<Row>& rows) {
        gwtest::WriteFile(dir / "pdo.xml", SendDocument(rows));
    }
    void Pargen(const std::string& text = PargenDocument()) {
        gwtest::WriteFile(dir / "pargen.xml", text);
    }
    BankImage Build() { return BuildBankImage(dir.Path()); }

    gwtest::TempDir dir;
};

TEST_F(BankProject, OffsetsAndTotalsWrapModulo256) {
    // 40 frames of 8 bytes: 320 bytes, so frame 33 starts at 256 = 0 and the total is 64.
    Receive(Rows(40, 8));
    Send(Rows(40, 8));
    Pargen();
    const BankImage image = Build();
    const std::size_t sendAt = 12 + 8 * 40;
    const std::size_t params = sendAt + 7 * 40;
    ASSERT_EQ(image.BankLength(), params + 14);
    EXPECT_EQ(Long(image, 4), sendAt);
    EXPECT_EQ(Long(image, 8), params);
    for (std::size_t i = 0; i < 40; ++i) {
        EXPECT_EQ(Byte(image, 12 + 8 * i + 7), (8 * i) % 256) << "receive " << i;
        EXPECT_EQ(Byte(image, sendAt + 7 * i + 6), (8 * i) % 256) << "send " << i;
    }
    EXPECT_EQ(Byte(image, params + 10), 40);
    EXPECT_EQ(Byte(image, params + 11), 320 % 256);
    EXPECT_EQ(Byte(image, params + 12), 40);
    EXPECT_EQ(Byte(image, params + 13), 320 % 256);
}

TEST_F(BankProject, EveryRecordOfALongListIsWrittenAndTheCountWraps) {
    Receive(Rows(300, 1));
    Pargen();
    const BankImage image = Build();
    const std::size_t params = 12 + 8 * 300;
    ASSERT_EQ(image.BankLength(), params + 14);
    EXPECT_EQ(Long(image, 4), params);
    EXPECT_EQ(Long(image, 12 + 8 * 299), 0x100u + 299); // the last record is there
    EXPECT_EQ(Byte(image, params + 10), 300 % 256);
    EXPECT_EQ(Byte(image, params + 11), 300 % 256);
}

TEST_F(BankProject, RecordFieldsAreReadAsTheGatewayExpects) {
    struct Case {
        Row row;
        std::uint32_t cobId;
        std::uint8_t dimension, swap, del;
    } cases[] = {
        {{.CobId = "$181"}, 0x181, 8, 0, 0},
        {{.CobId = "0x181"}, 0x181, 8, 0, 0},
        {{.CobId = "385"}, 0x181, 8, 0, 0},
        {{.CobId = "$18FF0001", .Dimension = "$3"}, 0x18FF0001, 3, 0, 0},
        {{.CobId = "-1"}, 0xFFFFFFFF, 8, 0, 0},
        {{.Swap = "0x1B"}, 0x181, 8, 0x1B, 0},
        {{.Swap = "300"}, 0x181, 8, 300 % 256, 0},
        {{.Swap = std::nullopt}, 0x181, 8, 0, 0},
        {{.Swap = ""}, 0x181, 8, 0, 0},
        {{.Swap = "junk"}, 0x181, 8, 0, 0},
        {{.Delete = "Y"}, 0x181, 8, 0, 1},
        {{.Delete = "y"}, 0x181, 8, 0, 0},
        {{.Delete = "N"}, 0x181, 8, 0, 0},
        {{.Delete = "Y "}, 0x181, 8, 0, 0},
        {{.Delete = std::nullopt}, 0x181, 8, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "Cob_Id " << c.row.CobId.value_or("-") << " Dimension "
                     << c.row.Dimension.value_or("-") << " Swap " << c.row.Swap.value_or("-")
                     << " Delete " << c.row.Delete.value_or("-"));
        Receive({c.row});
        Send({c.row});
        const BankImage image = Build();
        ASSERT_EQ(image.BankLength(), 12u + 8 + 7);
        EXPECT_EQ(Long(image, 12), c.cobId);
        EXPECT_EQ(Byte(image, 16), c.dimension);
        EXPECT_EQ(Byte(image, 17), c.swap);
        EXPECT_EQ(Byte(image, 18), c.del);
        EXPECT_EQ(Long(image, 20), c.cobId);
        EXPECT_EQ(Byte(image, 24), c.dimension);
        EXPECT_EQ(Byte(image, 25), c.swap);
        EXPECT_EQ(Byte(image, 26), 0); // offset of the first send frame
    }
}

TEST_F(BankProject, ParametersKeepTheirWidths) {
    // A send time of 100 is 64 00; an address typed as $14 is 20; 70000 keeps its low 16 bits.
    Pargen(PargenDocument("1", "100", "$14"));
    BankImage image = Build();
    ASSERT_EQ(image.BankLength(), 26u);
    EXPECT_EQ(image.Bytes.substr(12, 10),
              std::string("\x05\x01\x01\x64\x00\x0A\x00\x14\x0A\x01", 10));

    Pargen(PargenDocument("0", "70000"));
    image = Build();
    EXPECT_EQ(Byte(image, 15), 70000 & 0xFF);
    EXPECT_EQ(Byte(image, 16), (70000 >> 8) & 0xFF);
}

using Files = std::vector<std::pair<std::string, std::string>>;

TEST(BankImageFailure, ABadDocumentStopsTheBuildWithItsText) {
    const struct {
        const char* what;
        Files files;
        std::string expected; // a part of what()
    } cases[] = {
        {"Cob_Id not a number",
         {{"sdo.xml", ReceiveDocument({Row{.CobId = "abc"}})}},
         "'abc' is not a valid integer value"},
        {"Cob_Id with a trailing blank",
         {{"pdo.xml", SendDocument({Row{.CobId = "12 "}})}},
         "'12 ' is not a valid integer value"},
        {"Dimension empty",
         {{"sdo.xml", ReceiveDocument({Row{.Dimension = ""}})}},
         "'' is not a valid integer value"},
        {"Dimension missing",
         {{"sdo.xml", ReceiveDocument({Row{}, Row{.Dimension = std::nullopt}})}},
         "sdo.xml' has no attribute 'Dimension'"},
        {"Cob_Id missing",
         {{"pdo.xml", SendDocument({Row{.CobId = std::nullopt}})}},
         "Frame 1 in '"},
        {"list element missing",
         {{"pdo.xml", "<Profibus_to_Send_CAN/>"}},
         "Element 'Send_Frames' not found"},
        {"declaration taken as the root",
         {{"sdo.xml", "<?xml version=\"1.0\"?>" + ReceiveDocument({Row{}})}},
         "Element 'Receive_Frames' not found"},
        {"pargen element missing",
         {{"pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>"}},
         "Element 'Can_Type' not found"},
        {"pargen value not a number",
         {{"pargen.xml", PargenDocument("0", "fast")}},
         "'fast' is not a valid integer value"},
        {"malformed pargen", {{"pargen.xml", "<Par_Gen><Can_Baud>5</Par_Gen>"}}, "pargen.xml'"},
        {"malformed list", {{"sdo.xml", "<Profibus_to_Receive_CAN><Receive_Frames>"}}, "sdo.xml'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gwtest::TempDir dir;
        for (const auto& [name, text] : c.files)
            gwtest::WriteFile(dir / name, text);
        try {
            BuildBankImage(dir.Path());
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
        }
    }
}

// A frame length the editors refuse never reaches the gateway or the master:
// neither output is written, and the error names the document and the row.
TEST(GeneratorFailure, ADimensionOutsideOneToEightStopsBothOutputs) {
    for (const char* dimension : {"0", "9", "-1", "264", "2147483647"}) {
        SCOPED_TRACE(dimension);
        gwtest::TempDir dir;
        gwtest::WriteFile(dir / "pdo.xml", SendDocument({Row{}, Row{.Dimension = dimension}}));
        std::filesystem::create_directory(dir / "bin");
        gwtest::WriteFile(dir / "bin/bank.bin", "previous");
        const std::string expected =
            "pdo.xml: Error row 2!! CANOpen Dimension must be between 1 and 8. ";
        try {
            WriteBankFile(dir.Path(), BuildBankImage(dir.Path()));
            ADD_FAILURE() << "image written";
        } catch (const DocumentError& e) {
            EXPECT_EQ(e.what(), expected);
        }
        try {
            WriteGsdFile(dir.Path(), dir / "device.gsd");
            ADD_FAILURE() << "GSD written";
        } catch (const DocumentError& e) {
            EXPECT_EQ(e.what(), expected);
        }
        EXPECT_EQ(gwtest::ReadFile(dir / "bin/bank.bin"), "previous");
        EXPECT_FALSE(std::filesystem::exists(dir / "device.gsd"));
    }
}

// A folder, a link to a folder or a dangling link where a document belongs is
// an error naming it, never an empty list or the default parameters.
TEST(GeneratorFailure, ADocumentThatIsNoRegularFileIsAnError) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        void (*make)(const std::string& path, const std::string& dir);
    } cases[] = {
        {"folder", [](const std::string& p, const std::string&) { fs::create_directory(p); }},
        {"link to a folder",
         [](const std::string& p, const std::string& dir) {
             fs::create_directory(dir + "/elsewhere");
             fs::create_directory_symlink(dir + "/elsewhere", p);
         }},
        {"dangling link", [](const std::string& p,
                             const std::string& dir) { fs::create_symlink(dir + "/gone.xml", p); }},
    };
    for (const auto& c : cases) {
        for (const char* name : {"pargen.xml", "sdo.xml", "pdo.xml"}) {
            SCOPED_TRACE(std::string(c.what) + " " + name);
            gwtest::TempDir dir;
            c.make(dir / name, dir.Path());
            const std::string expected =
                "Cannot read file '" + (dir / name) + "': it is not a regular file";
            try {
                BuildBankImage(dir.Path());
                ADD_FAILURE() << "built";
            } catch (const FileError& e) {
                EXPECT_EQ(e.what(), expected);
            }
            try {
                ComputeGsdCounts(dir.Path());
                ADD_FAILURE() << "counted";
            } catch (const FileError& e) {
                EXPECT_EQ(e.what(), expected);
            }
        }
    }
}

TEST(BankImageFailure, AMalformedDocumentReportsTheParsersText) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "sdo.xml",
                      "<Profibus_to_Receive_CAN><Receive_Frames></Profibus_to_Receive_CAN>");
    EXPECT_THROW(BuildBankImage(dir.Path()), XmlError);
}

TEST_F(BankProject, AnImagePastTheBufferIsRefused) {
    // 12 + 8 * 12496 + 7 * 3 is exactly the buffer; one more send frame is 7 bytes too many.
    Receive(Rows(12496, 1));
    Send(Rows(3, 1));
    EXPECT_EQ(Build().BankLength(), kBankImageCapacity);
    Send(Rows(4, 1));
    try {
        Build();
        FAIL() << "built";
    } catch (const BankImageTooLarge& e) {
        EXPECT_EQ(e.Size(), kBankImageCapacity + 7);
        EXPECT_STREQ(e.what(), "The configuration image would be 100008 bytes, more than the "
                               "100001 bytes the gateway can hold");
    }
}

TEST_F(BankProject, WritesBankBinInTheBinFolder) {
    Pargen();
    std::filesystem::create_directory(dir / "bin");
    gwtest::WriteFile(dir / "bin/bank.bin", std::string(500, 'x'));
    const BankImage image = Build();
    WriteBankFile(dir.Path(), image);
    EXPECT_EQ(gwtest::ReadFile(dir / "bin/bank.bin"), image.Bytes);
    EXPECT_EQ(BankFilePath(dir.Path()), dir / "bin/bank.bin");
}

TEST_F(BankProject, AMissingBinFolderIsReportedWithTheFileAndTheReason) {
    try {
        WriteBankFile(dir.Path(), Build());
        FAIL() << "written";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot write file '" + (dir / "bin/bank.bin") + "': No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "bin"));
}

} // namespace
} // namespace gw
