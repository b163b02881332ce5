#pragma once
// A new firmware file from a delivered one: the five configuration banks of the
// gateway are S-record ranges that are replaced, one stage per bank, by the
// contents of the bank files bank1.bin to bank5.bin. Also the command line of
// the flash writer that takes the new file to the device.
//
// Firmware files are streamed line by line; none is ever held whole in memory.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

inline constexpr int kBankCount = 5;
inline constexpr std::uint32_t kBankSize = 0x4000;
// A bank is written as 512 S2 records of 32 bytes.
inline constexpr int kBankRecordBytes = 32;
inline constexpr int kBankRecordCount = static_cast<int>(kBankSize) / kBankRecordBytes;

// MergeBank's results.
inline constexpr int kMergeFailed = -1;
inline constexpr int kBankNotFound = 0; // the bank's range is not in the input
inline constexpr int kBankInserted = 1;

// The messages of the firmware window and of the build.
inline constexpr const char* kMsgSxNotFound = "File *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNotFound = "File New *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgBinDirNotFound = "Directory Bin Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNotCreated = "File New Sx Not Create,Abort Procedure";
// "File bank3.bin Not Found,Abort Procedure"
std::string BankFileNotFoundMessage(int stage);

inline constexpr const char* kDeliveredFirmwareName = "sx58204.sx";
inline constexpr const char* kNewFirmwarePrefix = "New_";

// Stage 1 to 5: the bank's first address (0x388000, 0x398000, ...), its file
// ("bank1.bin") and the file the stage writes ("°B1°.sx", UTF-8).
std::uint32_t BankStart(int stage);
std::string BankFileName(int stage);
std::string StageFileName(int stage);

// Ones' complement of the low byte of the sum of the byte pairs after the
// record type: `record` is an S-record line without its checksum
// ("S224388000" and 64 zeros gives 0x23).
std::uint8_t SRecordChecksum(std::string_view record);

// One S2 record with its checksum, uppercase: "S2", count, address, data, sum.
std::string S2Record(std::uint32_t address, const std::uint8_t* data, std::size_t size);

// The 512 records of a bank, each ended by CR LF. A file shorter than a bank
// is followed by 0x00 bytes; bytes past the bank's size are not used.
std::string BankRecords(int stage, std::string_view bankFile);

// Where a build reads and writes.
struct FirmwareFolders {
    std::string OutputDir; // the stage files and the new firmware
    std::string BinDir;    // bank1.bin to bank5.bin
    std::string NewSxName; // the new firmware's file name, inside OutputDir
};

struct MergeCallbacks {
    // Progress of a stage: the position moves by one per line read or bank
    // record written, up to the maximum (512 + the input's line count).
    // Called now and then: (0, 0) before the input is counted, (0, maximum)
    // once it is, and (maximum, maximum) when the stage ends.
    std::function<void(int position, int maximum)> progress;
    // Asked at the end record when the bank's range was not found and the
    // caller allowed the question; true inserts the bank there.
    std::function<bool()> insertAnyway;
    // Asked as often as the progress is reported; true ends the build: the
    // stage's output is dropped and the new firmware is not written.
    std::function<bool()> cancelled;
};

struct MergeOutcome {
    int result = kMergeFailed;
    std::string message; // why the stage failed; empty otherwise, or when it was cancelled
};

// Copies `inputPath` to OutputDir/`outputName`, the S2 records of the stage's
// bank range replaced by the bank file's 512 records where the first of them
// stood. Lines are written with CR LF. `ask` allows the insertAnyway question.
// The output replaces its target only when the stage succeeds.
MergeOutcome MergeBank(const FirmwareFolders& folders, int stage, bool ask,
                       const std::string& outputName, const std::string& inputPath,
                       const MergeCallbacks& callbacks = {});

struct FirmwareBuild {
    // MergeBank's result of every selected stage that ran.
    std::array<std::optional<int>, kBankCount> results;
    std::string message; // what ended the build early; empty when it did not end early
    bool failed = false;
    bool cancelled = false; // the user ended it (failed, without a message)

    // The selected stages whose bank range the firmware does not hold (1 to 5).
    std::vector<int> BanksNotFound() const;
};

// The five stages over `sourcePath`: a selected stage merges its bank, an
// unselected one passes its input on unchanged. A failed stage ends the build;
// the stage files are removed whatever happened.
FirmwareBuild BuildFirmwareImage(const FirmwareFolders& folders, const std::string& sourcePath,
                                 const std::array<bool, kBankCount>& selected,
                                 const MergeCallbacks& callbacks = {});

// The flash writer VozedUzida (".exe" on Windows) beside the executable, else in
// the data folder; without a data folder, beside the executable.
std::string FlashWriterProgramPath(const std::string& exeDir, const std::string& dataDir = {});
// "VozedUzida.exe Not Found, Procedure Aborted", with the platform's program name.
std::string FlashWriterNotFoundMessage();
// A double-quoted path, "¶" (UTF-8) and the port's index 0 to 7, without blanks.
std::string FlashWriterParameterText(const std::string& firmwarePath, int portIndex);

} // namespace gw
