#include "bridge/xls_guard.h"

#include "bridge/sheet_cells.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace gw {

namespace {

[[noreturn]] void Damaged() {
    throw std::runtime_error("the file is damaged");
}

[[noreturn]] void NotAWorkbook() {
    throw std::runtime_error("the file is damaged or not an Excel workbook");
}

std::uint32_t Le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void PutLe(std::string& out, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// ---- The compound file, read by its own rules --------------------------------

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kEntryBytes = 128;

class CompoundFile {
public:
    explicit CompoundFile(std::string_view file) : file_(file) {
        if (file.size() < kHeaderBytes)
            Damaged();
        const std::uint32_t shift = Le(file, 30, 2);
        if (shift != 9 && shift != 12)
            Damaged();
        sectorSize_ = std::size_t{1} << shift;
        const std::uint32_t miniShift = Le(file, 32, 2);
        if (miniShift != 6)
            Damaged();
        miniCutoff_ = Le(file, 56, 4);
        ReadFat();
        directory_ = SectorChain(Le(file, 48, 4), std::nullopt);
        if (Le(file, 64, 4) > 0)
            miniFat_ = Words(SectorChain(Le(file, 60, 4), std::nullopt));
    }

    // The first stream named Workbook (BIFF8) or Book (BIFF5).
    std::string WorkbookStream() const {
        for (std::size_t at = 0; at + kEntryBytes <= directory_.size(); at += kEntryBytes) {
            const std::string_view entry(directory_.data() + at, kEntryBytes);
            if (entry[66] != 2) // a stream
                continue;
            const std::u16string name = EntryName(entry);
            if (name != u"Workbook" && name != u"Book")
                continue;
            const std::uint32_t start = Le(entry, 116, 4);
            const std::uint32_t size = Le(entry, 120, 4);
            if (sectorSize_ == 4096 && Le(entry, 124, 4) != 0)
                Damaged();
            if (size > file_.size())
                Damaged();
            if (size < miniCutoff_ && !miniFat_.empty())
                return MiniStream(start, size);
            return SectorChain(start, size);
        }
        throw std::runtime_error("the file holds no workbook");
    }

private:
    // Appends a sector's bytes; a last sector cut short by the file's end is
    // taken with zeros for what is missing (some writers leave it short).
    void AppendSector(std::string& out, std::uint32_t s) const {
        const std::uint64_t at = (std::uint64_t{s} + 1) * sectorSize_;
        if (at >= file_.size())
            Damaged();
        const std::string_view bytes = file_.substr(static_cast<std::size_t>(at), sectorSize_);
        out += bytes;
        out.append(sectorSize_ - bytes.size(), '\0');
    }

    std::string Sector(std::uint32_t s) const {
        std::string bytes;
        AppendSector(bytes, s);
        return bytes;
    }

    static std::vector<std::uint32_t> Words(const std::string& bytes) {
        std::vector<std::uint32_t> words(bytes.size() / 4);
        for (std::size_t i = 0; i < words.size(); ++i)
            words[i] = Le(bytes, 4 * i, 4);
        return words;
    }

    void ReadFat() {
        std::vector<std::uint32_t> fatSectors;
        for (std::size_t i = 0; i < 109; ++i)
            if (const std::uint32_t s = Le(file_, 76 + 4 * i, 4); s != kFreeSector)
                fatSectors.push_back(s);
        const std::size_t perSector = sectorSize_ / 4;
        std::uint32_t difat = Le(file_, 68, 4);
        std::uint32_t difatCount = Le(file_, 72, 4);
        const std::size_t sectors = file_.size() / sectorSize_;
        if (difatCount > sectors)
            Damaged();
        for (; difatCount > 0 && difat != kEndOfChain; --difatCount) {
            const std::vector<std::uint32_t> words = Words(Sector(difat));
            for (std::size_t i = 0; i + 1 < perSector; ++i)
                if (words[i] != kFreeSector)
                    fatSectors.push_back(words[i]);
            difat = words[perSector - 1];
        }
        if (fatSectors.size() > sectors)
            Damaged();
        for (const std::uint32_t s : fatSectors) {
            const std::vector<std::uint32_t> words = Words(Sector(s));
            fat_.insert(fat_.end(), words.begin(), words.end());
        }
    }

    // Follows a chain from `start` through at most `limit` sectors (more is a
    // loop), `append` adding each; with a size, exactly as many sectors as it
    // needs, cut to it.
    template <class Append>
    static std::string Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                             std::optional<std::uint32_t> size, std::size_t limit, Append append) {
        std::string out;
        if (size)
            out.reserve(*size);
        std::uint32_t s = start;
        std::size_t steps = 0;
        while (s != kEndOfChain) {
            if (s >= table.size() || ++steps > limit)
                Damaged();
            if (size && out.size() >= *size)
                Damaged(); // longer than the stream
            append(out, s);
            s = table[s];
        }
        if (size) {
            if (out.size() < *size)
                Damaged();
            out.resize(*size);
        }
        return out;
    }

    std::string SectorChain(std::uint32_t start, std::optional<std::uint32_t> size) const {
        const std::size_t sectors = (file_.size() + sectorSize_ - 1) / sectorSize_;
        return Chain(fat_, start, size, sectors,
                     [&](std::string& out, std::uint32_t s) { AppendSector(out, s); });
    }

    std::string MiniStream(std::uint32_t start, std::uint32_t size) const {
        // The root entry's stream holds the mini sectors.
        const std::string_view root(directory_.data(), std::min(directory_.size(), kEntryBytes));
        if (root.size() < kEntryBytes || root[66] != 5)
            Damaged();
        const std::uint32_t rootSize = Le(root, 120, 4);
        if (rootSize > file_.size())
            Damaged();
        const std::string mini = SectorChain(Le(root, 116, 4), rootSize);
        constexpr std::size_t kMini = 64;
        return Chain(miniFat_, start, size, mini.size() / kMini,
                     [&](std::string& out, std::uint32_t s) {
                         if ((std::size_t{s} + 1) * kMini > mini.size())
                             Damaged();
                         out.append(mini, std::size_t{s} * kMini, kMini);
                     });
    }

    // The name up to its first NUL; a length past the name's 64 bytes is
    // damage.
    static std::u16string EntryName(std::string_view entry) {
        const std::uint32_t bytes = Le(entry, 64, 2);
        if (bytes > 64 || bytes % 2 != 0)
            Damaged();
        std::u16string name;
        for (std::uint32_t i = 0; i + 1 < bytes; i += 2) {
            const auto unit = static_cast<char16_t>(Le(entry, i, 2));
            if (unit == 0)
                break;
            name += unit;
        }
        return name;
    }

    std::string_view file_;
    std::size_t sectorSize_ = 512;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::string directory_;
};

// ---- The records, as FreeXL reads them ---------------------------------------
//
// FreeXL's state through its reading of the stream is followed here record by
// record, and a workbook is refused wherever FreeXL would read outside a
// record, lose memory or take what it reads by chance. (FreeXL reads the
// stream a second time when a sheet lacks its dimension; such a workbook is
// refused, so that never happens.)

namespace rec {
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kSheet = 0x0085;
constexpr std::uint16_t kDimension = 0x0200;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kLabelSst = 0x00FD;
} // namespace rec

// FreeXL's record buffer, the most a BIFF8 record holds.
constexpr std::size_t kMaxRecord = 8224;
// FreeXL allocates the cells of every sheet at once: all together are held
// to what one sheet read may have.
constexpr std::uint64_t kMaxCells = kMaxSheetCells;
constexpr std::size_t kMaxStream = 64u << 20;

struct Sheet {
    std::uint32_t offset = 0;
    bool dimension = false;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    std::vector<std::uint32_t> cells; // row << 16 | column, one per cell record
};

class BiffCheck {
public:
    explicit BiffCheck(std::string_view stream) : s_(stream) {}

    // The length of the stream FreeXL reads.
    std::size_t Run() {
        std::size_t p = 0;
        while (true) {
            if (p == s_.size())
                break;
            if (p + 4 > s_.size())
                Damaged();
            const auto type = static_cast<std::uint16_t>(Le(s_, p, 2));
            const std::size_t size = Le(s_, p + 2, 2);
            if (type == 0 && size == 0)
                break; // FreeXL takes it for the stream's end
            if (size > kMaxRecord || p + 4 + size > s_.size())
                Damaged();
            Record(type, s_.substr(p + 4, size), p);
            p += 4 + size;
        }
        if (bof_ == -1)
            NotAWorkbook();
        Finish();
        return p;
    }

private:
    void Record(std::uint16_t type, std::string_view r, std::size_t at) {
        if (type == rec::kContinue) {
            if (previous_ == rec::kSst)
                SstContinue(r);
            return;
        }
        previous_ = type;
        if (bof_ != 1) {
            if (type != rec::kBof || r.size() < 4)
                NotAWorkbook();
            if (bof_ == -1) {
                const std::uint32_t version = Le(r, 0, 2);
                if (version != 0x0500 && version != 0x0600)
                    NotAWorkbook();
                biff8_ = version == 0x0600;
            } else {
                active_ = nullptr;
                for (Sheet& sheet : sheets_)
                    if (sheet.offset == at) {
                        active_ = &sheet;
                        break;
                    }
                sheetsFixed_ = true;
            }
            bof_ = 1;
            return;
        }
        switch (type) {
        case rec::kEof:
            bof_ = 0;
            return;
        case rec::kFilePass:
            throw std::runtime_error("it is protected by a password");
        case rec::kSst:
            SstStart(r);
            return;
        case rec::kSheet:
            // The sheets are listed before the first of them; a list that
            // grows later would move them.
            if (r.size() < 8 || sheetsFixed_)
                Damaged();
            sheets_.emplace_back().offset = Le(r, 0, 4);
            return;
        case rec::kDimension:
            Dimension(r);
            return;
        case rec::kFormat:
            if (biff8_)
                UnicodeText(r, 2, 4);
            else if (r.size() < 4 || static_cast<unsigned char>(r[3]) == 0)
                Damaged(); // FreeXL takes the length from the fourth byte
            return;
        case rec::kLabel:
            Cell(r, 8);
            if (biff8_)
                UnicodeText(r, 6, 8);
            else if (const std::size_t n = Le(r, 6, 2); n == 0 || 8 + n > r.size())
                Damaged();
            return;
        case rec::kNumber:
            Cell(r, 14);
            return;
        case rec::kBoolErr:
            Cell(r, 8);
            return;
        case rec::kRk:
        case rec::kLabelSst:
            Cell(r, 10);
            return;
        case rec::kMulRk:
            MulRk(r);
            return;
        default:
            return;
        }
    }

    // A text of a count of characters at `countAt`, its flags at `flagsAt`:
    // FreeXL reads the characters wherever the flags put them.
    static void UnicodeText(std::string_view r, std::size_t countAt, std::size_t flagsAt) {
        if (r.size() < flagsAt + 1)
            Damaged();
        const std::size_t count = Le(r, countAt, 2);
        if (count == 0)
            Damaged(); // FreeXL converts it into a buffer of no bytes
        const auto flags = static_cast<unsigned char>(r[flagsAt]);
        const std::size_t start = flagsAt + 1 + ((flags & 0x04) ? 4 : 0) + ((flags & 0x08) ? 2 : 0);
        const std::size_t bytes = (flags & 0x01) ? 2 * count : count;
        if (start + bytes > r.size())
            Damaged();
    }

    void Dimension(std::string_view r) {
        if (!active_)
            return;
        if (r.size() < (biff8_ ? 12u : 8u))
            Damaged();
        if (active_->dimension)
            Damaged(); // FreeXL would drop the cells of the first
        active_->dimension = true;
        active_->rows = biff8_ ? Le(r, 4, 4) : Le(r, 2, 2);
        active_->columns = Le(r, biff8_ ? 10 : 6, 2);
        cells_ += std::uint64_t{active_->rows} * active_->columns;
        if (cells_ > kMaxCells)
            throw std::runtime_error("its sheets claim more cells than can be read");
    }

    // A cell record of at least `size` bytes: FreeXL sets cells only in a
    // sheet with its dimension, inside it, and each once.
    void CellSheet(std::string_view r, std::size_t size) const {
        if (r.size() < size || !active_ || !active_->dimension)
            Damaged();
    }

    void Cell(std::string_view r, std::size_t size) {
        CellSheet(r, size);
        AddCell(Le(r, 0, 2), Le(r, 2, 2));
    }

    void AddCell(std::uint32_t row, std::uint32_t column) {
        if (row >= active_->rows || column >= active_->columns)
            Damaged();
        active_->cells.push_back(row << 16 | column);
    }

    void MulRk(std::string_view r) {
        CellSheet(r, 4);
        const std::uint32_t row = Le(r, 0, 2);
        std::uint32_t column = Le(r, 2, 2);
        for (std::size_t off = 4; off + 6 < r.size(); off += 6)
            AddCell(row, column++ & 0xFFFF);
    }

    // The shared strings: FreeXL allocates a slot per string at once, then
    // reads each string, the rest of one cut at a record's end from the next
    // CONTINUE record.
    void SstStart(std::string_view r) {
        if (sstSeen_ || r.size() < 8)
            Damaged();
        sstSeen_ = true;
        sstCount_ = Le(r, 4, 4);
        if (sstCount_ > s_.size() / 4)
            Damaged(); // each string takes at least four bytes
        SstStrings(r, 8);
    }

    void SstContinue(std::string_view r) {
        std::size_t p = 0;
        if (pendingChars_ > 0) {
            if (r.empty())
                Damaged();
            const std::size_t bytes = (r[0] & 0x01) ? 2 * pendingChars_ : pendingChars_;
            if (1 + bytes > r.size())
                Damaged(); // FreeXL reads the rest from this record whatever its size
            p = 1 + bytes + pendingSkip_;
            pendingChars_ = 0;
            ++sstIndex_;
        }
        SstStrings(r, p);
    }

    void SstStrings(std::string_view r, std::size_t p) {
        for (; sstIndex_ < sstCount_; ++sstIndex_) {
            if (p >= r.size())
                return;
            if (p + 3 > r.size())
                Damaged();
            const std::size_t count = Le(r, p, 2);
            const auto flags = static_cast<unsigned char>(r[p + 2]);
            p += 3;
            if (count == 0 || (flags & 0x04))
                Damaged(); // no bytes to convert; an extension FreeXL skips by chance
            std::size_t skip = 0;
            if (flags & 0x08) {
                if (p + 2 > r.size())
                    Damaged();
                skip = 4 * std::size_t{Le(r, p, 2)};
                p += 2;
            }
            const bool wide = flags & 0x01;
            const std::size_t bytes = wide ? 2 * count : count;
            const std::size_t available = r.size() - p;
            if (bytes > available) {
                pendingChars_ = count - (wide ? available / 2 : available);
                pendingSkip_ = skip;
                return;
            }
            p += bytes + skip;
        }
    }

    void Finish() {
        for (Sheet& sheet : sheets_) {
            // A sheet without its dimension (never reached, or none given)
            // makes FreeXL allocate the cells of the sheet it read last
            // again, losing those it had.
            if (!sheet.dimension)
                Damaged();
            // A cell set twice loses the text of the first. (Writers give the
            // cells in order, mostly.)
            if (!std::is_sorted(sheet.cells.begin(), sheet.cells.end()))
                std::sort(sheet.cells.begin(), sheet.cells.end());
            if (std::adjacent_find(sheet.cells.begin(), sheet.cells.end()) != sheet.cells.end())
                Damaged();
        }
    }

    std::string_view s_;
    int bof_ = -1; // as FreeXL keeps it: -1 before the first BOF, 0 after an EOF
    bool biff8_ = true;
    std::uint16_t previous_ = 0;
    std::vector<Sheet> sheets_;
    Sheet* active_ = nullptr; // the sheet FreeXL sets cells in
    bool sheetsFixed_ = false;
    std::uint64_t cells_ = 0;
    bool sstSeen_ = false;
    std::uint32_t sstCount_ = 0;
    std::uint32_t sstIndex_ = 0;
    std::size_t pendingChars_ = 0;
    std::size_t pendingSkip_ = 0;
};

// ---- A compound file of our own ----------------------------------------------

// One stream named Workbook in 4096-byte sectors: the FAT sectors first, then
// the directory, then the stream. The stream is padded with zeros past 4096
// bytes, so it never counts as a small stream; FreeXL stops at the first zero
// record header.
std::string CompoundImage(std::string_view stream) {
    constexpr std::size_t kSector = 4096;
    constexpr std::size_t kPerFat = kSector / 4;
    const std::size_t streamBytes =
        std::max<std::size_t>(2 * kSector, (stream.size() + 4 + kSector - 1) / kSector * kSector);
    const std::size_t streamSectors = streamBytes / kSector;
    std::size_t fatSectors = 1;
    while (fatSectors * kPerFat < fatSectors + 1 + streamSectors)
        ++fatSectors;
    if (fatSectors > 109)
        Damaged();
    const std::size_t dirSector = fatSectors;
    const std::size_t firstStream = dirSector + 1;
    const std::size_t total = firstStream + streamSectors;

    std::string out((total + 1) * kSector, '\0');
    out.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    PutLe(out, 24, 0x003E, 2); // minor version
    PutLe(out, 26, 0x0004, 2); // major version: 4096-byte sectors
    PutLe(out, 28, 0xFFFE, 2); // little-endian
    PutLe(out, 30, 12, 2);
    PutLe(out, 32, 6, 2);
    PutLe(out, 40, 1, 4); // directory sectors
    PutLe(out, 44, static_cast<std::uint32_t>(fatSectors), 4);
    PutLe(out, 48, static_cast<std::uint32_t>(dirSector), 4);
    PutLe(out, 56, 4096, 4);
    PutLe(out, 60, kEndOfChain, 4);
    PutLe(out, 68, kEndOfChain, 4);
    for (std::size_t i = 0; i < 109; ++i)
        PutLe(out, 76 + 4 * i, i < fatSectors ? static_cast<std::uint32_t>(i) : kFreeSector, 4);

    auto sectorAt = [&](std::size_t s) { return (s + 1) * kSector; };
    for (std::size_t i = 0; i < fatSectors * kPerFat; ++i) {
        std::uint32_t next = kFreeSector;
        if (i < fatSectors)
            next = 0xFFFFFFFD; // a FAT sector
        else if (i == dirSector || i + 1 == total)
            next = kEndOfChain;
        else if (i < total)
            next = static_cast<std::uint32_t>(i + 1);
        PutLe(out, sectorAt(i / kPerFat) + 4 * (i % kPerFat), next, 4);
    }

    auto entry = [&](std::size_t index, std::u16string_view name, int type, std::uint32_t child,
                     std::uint32_t start, std::uint32_t size) {
        const std::size_t at = sectorAt(dirSector) + index * kEntryBytes;
        for (std::size_t i = 0; i < name.size(); ++i)
            PutLe(out, at + 2 * i, name[i], 2);
        PutLe(out, at + 64, static_cast<std::uint32_t>(2 * (name.size() + 1)), 2);
        out[at + 66] = static_cast<char>(type);
        out[at + 67] = 1; // black
        PutLe(out, at + 68, kNoStream, 4);
        PutLe(out, at + 72, kNoStream, 4);
        PutLe(out, at + 76, child, 4);
        PutLe(out, at + 116, start, 4);
        PutLe(out, at + 120, size, 4);
    };
    entry(0, u"Root Entry", 5, 1, kEndOfChain, 0);
    entry(1, u"Workbook", 2, kNoStream, static_cast<std::uint32_t>(firstStream),
          static_cast<std::uint32_t>(streamBytes));
    for (std::size_t i = 2; i < kSector / kEntryBytes; ++i) {
        const std::size_t at = sectorAt(dirSector) + i * kEntryBytes;
        PutLe(out, at + 68, kNoStream, 4);
        PutLe(out, at + 72, kNoStream, 4);
        PutLe(out, at + 76, kNoStream, 4);
    }
    out.replace(sectorAt(firstStream), stream.size(), stream);
    return out;
}

} // namespace

std::string GuardedXlsImage(std::string_view file) {
    if (file.size() > kMaxXlsFileBytes)
        throw std::runtime_error("the file is larger than 256 MB");
    std::string stream = CompoundFile(file).WorkbookStream();
    if (stream.size() > kMaxStream)
        throw std::runtime_error("its workbook is larger than 64 MB");
    stream.resize(BiffCheck(stream).Run());
    return CompoundImage(stream);
}

} // namespace gw
