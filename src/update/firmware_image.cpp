#include "update/firmware_image.h"

#include "app/app_folders.h"

#include "common/file_io.h"
#include "common/hex_text.h"
#include "common/replacement_temp.h"
#include "update/run_and_wait.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace gw {

namespace {

constexpr const char* kFlashWriterName = "VozedUzida";
constexpr std::uint32_t kFirstBankStart = 0x388000;
constexpr std::uint32_t kBankDistance = 0x10000;
constexpr const char* kDegree = "\xC2\xB0";  // °
constexpr const char* kPilcrow = "\xC2\xB6"; // ¶
constexpr const char* kLineEnd = "\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Any read or write of a stage that fails; the stage ends with its message.
struct StageFailed {};
// The user cancelled the build.
struct StageCancelled {};

// The value of `digits` hexadecimal digits at `at`; nullopt when the line is
// shorter or a character is not a digit.
std::optional<std::uint32_t> HexAt(std::string_view line, std::size_t at, std::size_t digits) {
    if (line.size() < at + digits)
        return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        const int d = HexDigitValue(line[i]);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

void AppendHexByte(std::string& s, std::uint8_t b) {
    s += kHexDigits[b >> 4];
    s += kHexDigits[b & 0xF];
}

// Reads a text file line by line through a buffer of its own; a line may end
// with LF, CR LF or a lone CR.
class LineReader {
public:
    explicit LineReader(const std::string& path) : buffer_(1 << 20) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            throw StageFailed{};
    }
    ~LineReader() { ::close(fd_); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Called before the buffer's contents move, while views into it still hold.
    void BeforeRefill(std::function<void()> hook) { beforeRefill_ = std::move(hook); }

    // The next line without its end; valid until the next call. False at the end.
    bool Next(std::string_view& line) {
        if (!Find(line)) {
            withEnd_ = {};
            return false;
        }
        withEnd_ = std::string_view(line.data(), buffer_.data() + pos_ - line.data());
        return true;
    }

    // The last line with its end as the file holds it.
    std::string_view LastWithEnd() const { return withEnd_; }

private:
    bool Find(std::string_view& line) {
        for (;;) {
            const char* begin = buffer_.data() + pos_;
            const std::size_t size = end_ - pos_;
            const char* lf = static_cast<const char*>(std::memchr(begin, '\n', size));
            const char* stop = lf ? lf : begin + size;
            const char* cr = static_cast<const char*>(std::memchr(begin, '\r', stop - begin));
            if (cr && (cr + 1 < begin + size || eof_)) {
                line = std::string_view(begin, cr - begin);
                pos_ += (cr - begin) + 1;
                if (pos_ < end_ && buffer_[pos_] == '\n')
                    ++pos_;
                return true;
            }
            if (!cr && lf) {
                line = std::string_view(begin, lf - begin);
                pos_ += (lf - begin) + 1;
                return true;
            }
            if (eof_) {
                if (size == 0)
                    return false;
                line = std::string_view(begin, size);
                pos_ = end_;
                return true;
            }
            // The line goes on in the next read (or a CR may be followed by LF).
            Refill();
        }
    }

    void Refill() {
        if (beforeRefill_)
            beforeRefill_();
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (end_ == buffer_.size())
            buffer_.resize(buffer_.size() * 2); // a line longer than the buffer
        ssize_t n;
        do {
            n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            throw StageFailed{};
        if (n == 0)
            eof_ = true;
        end_ += static_cast<std::size_t>(n);
    }

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::string_view withEnd_;
    std::function<void()> beforeRefill_;
};

// A stage's output. Input lines that already end in CR LF are written in runs
// straight from the reader's buffer: most of a firmware passes unchanged.
class StageOutput {
public:
    StageOutput(const std::string& path, LineReader& in) : file_(path) {
        in.BeforeRefill([this] { Flush(); });
    }

    // The line `in` read last, unchanged.
    void Copy(std::string_view line, std::string_view withEnd) {
        if (withEnd.size() != line.size() + 2 || !withEnd.ends_with(kLineEnd)) {
            Write(line);
            Write(kLineEnd);
        } else if (!run_.empty() && run_.data() + run_.size() == withEnd.data()) {
            run_ = std::string_view(run_.data(), run_.size() + withEnd.size());
        } else {
            Flush();
            run_ = withEnd;
        }
    }
    void Write(std::string_view bytes) {
        Flush();
        file_.Write(bytes);
    }
    void Commit(bool durable) {
        Flush();
        file_.Commit(durable);
    }

private:
    void Flush() {
        if (!run_.empty())
            file_.Write(run_);
        run_ = {};
    }

    AtomicFileWriter file_;
    std::string_view run_;
};

int CountLines(const std::string& path) {
    LineReader reader(path);
    std::string_view line;
    int count = 0;
    while (reader.Next(line))
        ++count;
    return count;
}

// Reports the progress of a stage now and then: a repaint per line would cost
// more than the copy.
class Progress {
public:
    explicit Progress(const MergeCallbacks& callbacks)
        : report_(callbacks.progress), cancelled_(callbacks.cancelled) {}

    void Start(int maximum) {
        maximum_ = maximum;
        step_ = std::max(1, maximum / 256);
        position_ = 0;
        next_ = step_;
        if (report_)
            report_(0, maximum_);
    }
    void Advance(int by = 1) {
        position_ += by;
        if (position_ >= next_) {
            next_ = position_ + step_;
            if (report_)
                report_(position_, maximum_);
            if (cancelled_ && cancelled_())
                throw StageCancelled{};
        }
    }
    void Finish() {
        if (report_)
            report_(maximum_, maximum_);
    }

private:
    const std::function<void(int, int)>& report_;
    const std::function<bool()>& cancelled_;
    int maximum_ = 0;
    int step_ = 1;
    int position_ = 0;
    int next_ = 1;
};

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

// The checks every stage makes first; the message that ends it, or empty.
std::string CheckStageInput(const FirmwareFolders& folders, const std::string& inputPath) {
    if (!FileExists(inputPath))
        return kMsgSxNotFound;
    // The new file belongs in the output folder; a name that leaves it is no name.
    if (!IsPlainFileName(folders.NewSxName))
        return kMsgNewSxNotFound;
    return {};
}

std::optional<std::string> ReadBankFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(kBankSize, '\0');
    in.read(bytes.data(), kBankSize);
    if (in.bad())
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// The stage's copy of one S2 record that overlaps the bank range only in part:
// the bytes outside the range stay, so no firmware byte is lost and none is
// given twice. The bank goes between them.
void WriteOutsideParts(StageOutput& out, std::string_view line, std::uint32_t address,
                       std::uint32_t size, std::uint32_t first, std::uint32_t last,
                       const std::function<void()>& insertBank) {
    std::vector<std::uint8_t> data(size);
    for (std::uint32_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(*HexAt(line, 10 + 2 * i, 2));
    if (address < first)
        out.Write(S2Record(address, data.data(), first - address) + kLineEnd);
    insertBank();
    const std::uint32_t end = address + size; // one past the record
    if (end - 1 > last)
        out.Write(S2Record(last + 1, data.data() + (last + 1 - address), end - (last + 1)) +
                  kLineEnd);
}

// The number of data bytes of an S2 record, or 0 when its byte count does not
// fit the line (then only its address decides).
std::uint32_t S2DataSize(std::string_view line) {
    const auto count = HexAt(line, 2, 2);
    if (!count || *count < 4 || line.size() < 4 + 2 * std::size_t(*count))
        return 0;
    for (std::size_t i = 10; i < 2 + 2 * std::size_t(*count); ++i)
        if (HexDigitValue(line[i]) < 0)
            return 0;
    return *count - 4;
}

// Copies the input with the bank in place of its range; the stage's result.
int CopyWithBank(LineReader& in, StageOutput& out, int stage, bool ask, const std::string& bank,
                 const MergeCallbacks& callbacks, Progress& progress) {
    const std::uint32_t first = BankStart(stage);
    const std::uint32_t last = first + kBankSize - 1;
    int result = kMergeFailed;
    bool inserted = false;
    const std::function<void()> insertOnce = [&] {
        if (inserted)
            return;
        out.Write(bank);
        progress.Advance(kBankRecordCount);
        inserted = true;
    };
    std::string_view line;
    while (in.Next(line)) {
        progress.Advance();
        if (line.starts_with("S2")) {
            const auto address = HexAt(line, 4, 6);
            if (!address)
                throw StageFailed{};
            // A record holds at most 252 data bytes: most are far from the bank.
            if (*address > last || *address + 0xFF < first) {
                out.Copy(line, in.LastWithEnd());
                continue;
            }
            const std::uint32_t size = S2DataSize(line);
            const std::uint32_t end = *address + std::max<std::uint32_t>(size, 1); // one past
            if (*address <= last && end - 1 >= first) {
                if (*address >= first && end - 1 <= last)
                    insertOnce(); // the record lies in the bank: dropped
                else
                    WriteOutsideParts(out, line, *address, size, first, last, insertOnce);
                continue;
            }
        } else if (line.starts_with("S9")) {
            if (!inserted && ask && callbacks.insertAnyway && callbacks.insertAnyway())
                insertOnce();
            result = inserted ? kBankInserted : kBankNotFound;
        }
        out.Copy(line, in.LastWithEnd());
    }
    return result;
}

void SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw StageFailed{};
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        throw StageFailed{};
}

// An unselected stage hands its input on: the source is copied (it stays where
// it is), a stage file is renamed.
std::string PassThrough(const FirmwareFolders& folders, int stage, const std::string& inputPath,
                        const std::string& outputPath) {
    const std::string check = CheckStageInput(folders, inputPath);
    if (!check.empty())
        return check;
    std::error_code ec;
    if (stage == 1)
        fs::copy_file(inputPath, outputPath, fs::copy_options::overwrite_existing, ec);
    else {
        if (stage == kBankCount) {
            try {
                SyncFile(inputPath); // it becomes the new firmware
            } catch (const StageFailed&) {
                return kMsgNewSxNotCreated;
            }
        }
        fs::rename(inputPath, outputPath, ec);
    }
    return ec ? kMsgNewSxNotCreated : std::string();
}

} // namespace

std::string BankFileNotFoundMessage(int stage) {
    return "File " + BankFileName(stage) + " Not Found,Abort Procedure";
}

std::uint32_t BankStart(int stage) {
    return kFirstBankStart + kBankDistance * static_cast<std::uint32_t>(stage - 1);
}

std::string BankFileName(int stage) {
    return "bank" + std::to_string(stage) + ".bin";
}

std::string StageFileName(int stage) {
    return std::string(kDegree) + "B" + std::to_string(stage) + kDegree + ".sx";
}

std::uint8_t SRecordChecksum(std::string_view record) {
    unsigned sum = 0;
    for (std::size_t i = 2; i + 1 < record.size(); i += 2)
        sum += HexAt(record, i, 2).value_or(0);
    return static_cast<std::uint8_t>(~sum & 0xFF);
}

std::string S2Record(std::uint32_t address, const std::uint8_t* data, std::size_t size) {
    std::string s = "S2";
    s.reserve(4 + 6 + 2 * size + 2);
    AppendHexByte(s, static_cast<std::uint8_t>(size + 4));
    AppendHexByte(s, static_cast<std::uint8_t>(address >> 16));
    AppendHexByte(s, static_cast<std::uint8_t>(address >> 8));
    AppendHexByte(s, static_cast<std::uint8_t>(address));
    for (std::size_t i = 0; i < size; ++i)
        AppendHexByte(s, data[i]);
    AppendHexByte(s, SRecordChecksum(s));
    return s;
}

std::string BankRecords(int stage, std::string_view bankFile) {
    std::uint8_t bytes[kBankSize] = {};
    std::memcpy(bytes, bankFile.data(), std::min<std::size_t>(bankFile.size(), kBankSize));
    std::string records;
    records.reserve(kBankRecordCount * (4 + 6 + 2 * kBankRecordBytes + 2 + 2));
    for (int i = 0; i < kBankRecordCount; ++i) {
        const std::uint32_t offset = static_cast<std::uint32_t>(i * kBankRecordBytes);
        records += S2Record(BankStart(stage) + offset, bytes + offset, kBankRecordBytes);
        records += kLineEnd;
    }
    return records;
}

MergeOutcome MergeBank(const FirmwareFolders& folders, int stage, bool ask,
                       const std::string& outputName, const std::string& inputPath,
                       const MergeCallbacks& callbacks) {
    MergeOutcome outcome;
    if (callbacks.progress)
        callbacks.progress(0, 0);
    outcome.message = CheckStageInput(folders, inputPath);
    if (!outcome.message.empty())
        return outcome;
    if (!FolderExists(folders.BinDir)) {
        outcome.message = kMsgBinDirNotFound;
        return outcome;
    }
    const std::string bankPath = JoinPath(folders.BinDir, BankFileName(stage));
    if (!FileExists(bankPath)) {
        outcome.message = BankFileNotFoundMessage(stage);
        return outcome;
    }

    Progress progress(callbacks);
    try {
        const auto bankFile = ReadBankFile(bankPath);
        if (!bankFile)
            throw StageFailed{};
        const std::string bank = BankRecords(stage, *bankFile);
        // Counting costs a read of the whole input; only the progress needs it.
        progress.Start(callbacks.progress ? kBankRecordCount + CountLines(inputPath) : 0);
        LineReader in(inputPath);
        StageOutput out(JoinPath(folders.OutputDir, outputName), in);
        outcome.result = CopyWithBank(in, out, stage, ask, bank, callbacks, progress);
        // Without an end record the file is not a firmware: it is not handed on.
        if (outcome.result != kMergeFailed)
            out.Commit(outputName == folders.NewSxName);
        else
            outcome.message = kMsgNewSxNotCreated;
    } catch (const StageFailed&) {
        outcome = {kMergeFailed, kMsgNewSxNotCreated};
    } catch (const StageCancelled&) {
        outcome = {kMergeFailed, {}}; // the output was not committed: it is gone
    } catch (const std::exception&) { // the output cannot be written
        outcome = {kMergeFailed, kMsgNewSxNotCreated};
    }
    progress.Finish();
    return outcome;
}

std::vector<int> FirmwareBuild::BanksNotFound() const {
    std::vector<int> banks;
    for (int stage = 1; stage <= kBankCount; ++stage)
        if (results[stage - 1] == kBankNotFound)
            banks.push_back(stage);
    return banks;
}

FirmwareBuild BuildFirmwareImage(const FirmwareFolders& folders, const std::string& sourcePath,
                                 const std::array<bool, kBankCount>& selected,
                                 const MergeCallbacks& callbacks) {
    FirmwareBuild build;
    std::string input = sourcePath;
    for (int stage = 1; stage <= kBankCount; ++stage) {
        const std::string outputName =
            stage == kBankCount ? folders.NewSxName : StageFileName(stage);
        const std::string outputPath = JoinPath(folders.OutputDir, outputName);
        if (selected[stage - 1]) {
            const MergeOutcome m = MergeBank(folders, stage, false, outputName, input, callbacks);
            build.results[stage - 1] = m.result;
            build.message = m.message;
            build.cancelled = m.result == kMergeFailed && m.message.empty();
        } else {
            build.message = PassThrough(folders, stage, input, outputPath);
        }
        if (!build.message.empty() || build.results[stage - 1] == kMergeFailed) {
            build.failed = true;
            break;
        }
        input = outputPath;
    }
    std::error_code ec;
    for (int stage = 1; stage <= kBankCount; ++stage) {
        fs::remove(JoinPath(folders.OutputDir, StageFileName(stage)), ec);
        // What an earlier build, killed while writing, left of its outputs: a
        // stage that passes its input on writes nothing that would sweep them.
        RemoveAbandonedTemps(JoinPath(folders.OutputDir, StageFileName(stage)));
    }
    if (IsPlainFileName(folders.NewSxName))
        RemoveAbandonedTemps(JoinPath(folders.OutputDir, folders.NewSxName));
    return build;
}

std::string FlashWriterProgramPath(const std::string& exeDir, const std::string& dataDir) {
    return FindHelperProgram(exeDir, dataDir.empty() ? exeDir : dataDir, kFlashWriterName);
}

std::string FlashWriterNotFoundMessage() {
    return ProgramFileName(kFlashWriterName) + " Not Found, Procedure Aborted";
}

std::string FlashWriterParameterText(const std::string& firmwarePath, int portIndex) {
    return "\"" + firmwarePath + "\"" + kPilcrow + std::to_string(portIndex);
}

} // namespace gw
