// The workbook reader module: .xls through FreeXL (xls_reader.cpp); .xlsx
// through orcus's import filter feeding our own cell receiver, which keeps the
// sheet names and the cells of the one sheet wanted; .ods by our own reader of
// its content.xml (ods_content.cpp), inflated here a piece at a time: orcus's
// ODS filter held hundreds of megabytes for a sheet of a few. A module of its
// own so that only an import pays for loading these libraries.
#include "bridge/ods_content.h"
#include "bridge/sheet_reader.h"

#include <orcus/exception.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace gw {

namespace {

namespace ss = orcus::spreadsheet;

class SharedStrings : public ss::iface::import_shared_strings {
public:
    const std::string& At(std::size_t i) const {
        static const std::string empty;
        return i < strings_.size() ? strings_[i] : empty;
    }

    std::size_t append(std::string_view s) override {
        strings_.emplace_back(s);
        return strings_.size() - 1;
    }
    std::size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { segments_.append(s); }
    std::size_t commit_segments() override {
        strings_.push_back(std::move(segments_));
        segments_.clear();
        return strings_.size() - 1;
    }

private:
    std::vector<std::string> strings_;
    std::string segments_;
};

// A formula cell counts with its last calculated result, as a database driver
// reads it.
class FormulaResults : public ss::iface::import_formula {
public:
    explicit FormulaResults(SheetCells* cells) : cells_(cells) {}

    void set_position(ss::row_t row, ss::col_t col) override {
        row_ = row;
        col_ = col;
        result_.reset();
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(std::size_t) override {}
    void set_result_string(std::string_view value) override { result_ = std::string(value); }
    void set_result_value(double value) override { result_ = NumberCellText(value); }
    void set_result_bool(bool value) override { result_ = value ? "TRUE" : "FALSE"; }
    void set_result_empty() override { result_.reset(); }
    void commit() override {
        if (cells_ && result_)
            cells_->Set(row_, col_, std::move(*result_));
    }

private:
    SheetCells* cells_;
    ss::row_t row_ = 0;
    ss::col_t col_ = 0;
    std::optional<std::string> result_;
};

// One sheet; only the wanted sheet keeps its cells, the others are read past.
class Sheet : public ss::iface::import_sheet {
public:
    Sheet(const SharedStrings& strings, SheetCells* cells, ProgressTicker* ticker = nullptr)
        : strings_(strings), cells_(cells), formulas_(cells), ticker_(ticker) {}

    ss::iface::import_formula* get_formula() override { return &formulas_; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        Keep(row, col, std::string(s));
    }
    // The string table may come after the sheets: strings are looked up at the end.
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t id) override {
        if (cells_)
            pending_.push_back({row, col, id});
        Tick(row);
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        Keep(row, col, NumberCellText(value));
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        Keep(row, col, value ? "TRUE" : "FALSE");
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                       int minute, double second) override {
        char text[32];
        if (hour == 0 && minute == 0 && second == 0)
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        else
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                          hour, minute, static_cast<int>(second));
        Keep(row, col, text);
    }
    void set_format(ss::row_t, ss::col_t, std::size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, std::size_t) override {}
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t count) override {
        if (!cells_ || row < 0 || row >= cells_->Rows() || col < 0 || col >= cells_->Columns())
            return;
        const SheetCell source = cells_->At(row, col);
        if (!source)
            return;
        for (ss::row_t r = 1; r <= count; ++r)
            cells_->Set(row + r, col, *source);
    }
    ss::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

    void ResolveStrings() {
        for (const Pending& p : pending_)
            Keep(p.row, p.col, strings_.At(p.id));
        pending_.clear();
    }

private:
    struct Pending {
        ss::row_t row;
        ss::col_t col;
        ss::string_id_t id;
    };
    std::vector<Pending> pending_;

    void Keep(ss::row_t row, ss::col_t col, std::string text) {
        if (cells_)
            cells_->Set(row, col, std::move(text));
        Tick(row);
    }
    void Tick(ss::row_t row) {
        if (ticker_)
            ticker_->At(static_cast<std::uint64_t>(row));
    }

    const SharedStrings& strings_;
    SheetCells* cells_;
    FormulaResults formulas_;
    ProgressTicker* ticker_;
};

// Cell addresses in A1 notation ("B3", "$B$3", "A1:H8"), all on the sheet
// being read: the reader needs them for a sheet's dimension and merged cells.
class A1Resolver : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view text) override {
        ss::src_address_t a{0, 0, 0};
        if (const auto bang = text.rfind('!'); bang != std::string_view::npos)
            text.remove_prefix(bang + 1);
        std::size_t i = 0;
        auto skipDollar = [&] {
            if (i < text.size() && text[i] == '$')
                ++i;
        };
        skipDollar();
        int column = 0;
        const std::size_t letters = i;
        for (; i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); ++i)
            column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
        skipDollar();
        int row = 0;
        const std::size_t digits = i;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            row = row * 10 + (text[i] - '0');
        if (i == letters || digits == i || i != text.size() || column == 0 || row == 0)
            throw orcus::invalid_arg_error("not a cell address: " + std::string(text));
        a.column = column - 1;
        a.row = row - 1;
        return a;
    }
    ss::src_range_t resolve_range(std::string_view text) override {
        const auto colon = text.find(':');
        if (colon == std::string_view::npos) {
            const ss::src_address_t a = resolve_address(text);
            return {a, a};
        }
        return {resolve_address(text.substr(0, colon)), resolve_address(text.substr(colon + 1))};
    }
};

class Receiver : public ss::iface::import_factory {
public:
    Receiver(const std::string& wanted, SheetReadReply& reply, ProgressTicker* ticker)
        : wanted_(wanted), reply_(reply), ticker_(ticker) {}

    ss::iface::import_shared_strings* get_shared_strings() override { return &strings_; }
    ss::iface::import_reference_resolver*
    get_reference_resolver(ss::formula_ref_context_t) override {
        return &resolver_;
    }

    ss::iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override {
        reply_.sheetNames.emplace_back(name);
        SheetCells* cells = nullptr;
        if (!reply_.found && SheetMatches(name, wanted_)) {
            reply_.found = true;
            cells = &reply_.cells;
        }
        sheets_.push_back(std::make_unique<Sheet>(strings_, cells, cells ? ticker_ : nullptr));
        return sheets_.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        for (std::size_t i = 0; i < reply_.sheetNames.size(); ++i)
            if (reply_.sheetNames[i] == name)
                return sheets_[i].get();
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= sheets_.size())
            return nullptr;
        return sheets_[static_cast<std::size_t>(index)].get();
    }
    void finalize() override {
        for (auto& sheet : sheets_)
            sheet->ResolveStrings();
    }

private:
    std::string wanted_;
    SheetReadReply& reply_;
    ProgressTicker* ticker_;
    SharedStrings strings_;
    A1Resolver resolver_;
    std::vector<std::unique_ptr<Sheet>> sheets_;
};

// Two things some writers do that the reader does not follow, so that it would
// see the sheets' names but not their cells: absolute part names
// (Target="/xl/worksheets/sheet1.xml") and strings kept inside the cells
// (t="inlineStr"). Such a package is rewritten in memory, uncompressed, with
// every target relative to its relationship file's folder and the inline
// strings moved into the shared string table.
bool HasAbsoluteTarget(const std::string& rels) {
    return rels.find("Target=\"/") != std::string::npos;
}

// The folder whose parts a relationship file ("xl/_rels/workbook.xml.rels")
// describes: "xl".
std::string SourceFolder(const std::string& relsName) {
    const auto rels = relsName.rfind("_rels/");
    return rels == std::string::npos || rels == 0 ? std::string() : relsName.substr(0, rels - 1);
}

std::string RelativeTargets(const std::string& rels, const std::string& folder) {
    std::string out;
    std::size_t pos = 0;
    const std::string key = "Target=\"/";
    for (std::size_t at; (at = rels.find(key, pos)) != std::string::npos;) {
        out.append(rels, pos, at + key.size() - 1 - pos);
        std::size_t nameStart = at + key.size();
        std::string prefix = folder.empty() ? std::string() : folder + "/";
        if (!prefix.empty() && rels.compare(nameStart, prefix.size(), prefix) == 0) {
            nameStart += prefix.size();
        } else if (!folder.empty()) {
            for (char c : folder + "/")
                if (c == '/')
                    out += "../";
        }
        pos = nameStart;
    }
    out.append(rels, pos, std::string::npos);
    return out;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A zip package of stored (uncompressed) entries.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out;
    std::string directory;
    for (const auto& [name, data] : entries) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto offset = static_cast<std::uint32_t>(out.size());
        PutLe(out, 0x04034b50, 4);
        PutLe(out, 20, 2);
        PutLe(out, 0, 2); // flags
        PutLe(out, 0, 2); // stored
        PutLe(out, 0, 4); // time and date
        PutLe(out, crc, 4);
        PutLe(out, size, 4);
        PutLe(out, size, 4);
        PutLe(out, static_cast<std::uint32_t>(name.size()), 2);
        PutLe(out, 0, 2);
        out += name;
        out += data;

        PutLe(directory, 0x02014b50, 4);
        PutLe(directory, 20, 2);
        PutLe(directory, 20, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 4);
        PutLe(directory, crc, 4);
        PutLe(directory, size, 4);
        PutLe(directory, size, 4);
        PutLe(directory, static_cast<std::uint32_t>(name.size()), 2);
        PutLe(directory, 0, 2); // extra
        PutLe(directory, 0, 2); // comment
        PutLe(directory, 0, 2); // disk
        PutLe(directory, 0, 2); // internal attributes
        PutLe(directory, 0, 4); // external attributes
        PutLe(directory, offset, 4);
        directory += name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    PutLe(out, 0x06054b50, 4);
    PutLe(out, 0, 2);
    PutLe(out, 0, 2);
    PutLe(out, static_cast<std::uint32_t>(entries.size()), 2);
    PutLe(out, static_cast<std::uint32_t>(entries.size()), 2);
    PutLe(out, static_cast<std::uint32_t>(directory.size()), 4);
    PutLe(out, directoryOffset, 4);
    PutLe(out, 0, 2);
    return out;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string* FindEntry(Entries& entries, const std::string& name) {
    for (auto& [n, data] : entries)
        if (n == name)
            return &data;
    return nullptr;
}

void InsertBefore(std::string& xml, const std::string& closingTag, const std::string& text) {
    const auto at = xml.rfind(closingTag);
    if (at != std::string::npos)
        xml.insert(at, text);
}

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size())
        ++n;
    return n;
}

// Moves the inline strings of a worksheet into `table` (the <si> items of the
// shared strings, numbered from `first`).
bool MoveInlineStrings(std::string& sheet, std::string& table, std::size_t& next) {
    constexpr std::string_view kInline = "t=\"inlineStr\"";
    if (sheet.find(kInline) == std::string::npos)
        return false;
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at; (at = sheet.find("<c ", pos)) != std::string::npos;) {
        const auto tagEnd = sheet.find('>', at);
        if (tagEnd == std::string::npos)
            break;
        const std::string_view tag(sheet.data() + at, tagEnd + 1 - at);
        const auto type = tag.find(kInline);
        if (type == std::string_view::npos || tag.ends_with("/>")) {
            out.append(sheet, pos, tagEnd + 1 - pos);
            pos = tagEnd + 1;
            continue;
        }
        const auto cellEnd = sheet.find("</c>", tagEnd);
        if (cellEnd == std::string::npos)
            break;
        const std::string_view cell(sheet.data() + tagEnd + 1, cellEnd - tagEnd - 1);
        const auto is = cell.find("<is>");
        const auto isEnd = cell.find("</is>");
        if (is == std::string_view::npos || isEnd == std::string_view::npos || isEnd < is) {
            out.append(sheet, pos, cellEnd + 4 - pos);
            pos = cellEnd + 4;
            continue;
        }
        out.append(sheet, pos, at - pos);
        out.append(tag.substr(0, type));
        out += "t=\"s\"";
        out.append(tag.substr(type + kInline.size()));
        out += "<v>" + std::to_string(next++) + "</v></c>";
        table += "<si>";
        table.append(cell.substr(is + 4, isEnd - is - 4));
        table += "</si>";
        pos = cellEnd + 4;
    }
    out.append(sheet, pos, std::string::npos);
    sheet = std::move(out);
    return true;
}

void MendInlineStrings(Entries& entries, bool& mended) {
    std::string* existing = FindEntry(entries, "xl/sharedStrings.xml");
    std::size_t next = existing ? CountOf(*existing, "<si>") + CountOf(*existing, "<si/>") : 0;
    std::string table;
    for (auto& [name, data] : entries)
        if (name.starts_with("xl/worksheets/") && name.ends_with(".xml"))
            mended = MoveInlineStrings(data, table, next) || mended;
    if (table.empty())
        return;
    if (existing) {
        InsertBefore(*existing, "</sst>", table);
        return;
    }
    entries.emplace_back(
        "xl/sharedStrings.xml",
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + table +
            "</sst>");
    if (std::string* rels = FindEntry(entries, "xl/_rels/workbook.xml.rels"))
        InsertBefore(
            *rels, "</Relationships>",
            "<Relationship Id=\"gwSharedStrings\" Type=\"http://schemas.openxmlformats.org/"
            "officeDocument/2006/relationships/sharedStrings\" "
            "Target=\"sharedStrings.xml\"/>");
    if (std::string* types = FindEntry(entries, "[Content_Types].xml"))
        InsertBefore(*types, "</Types>",
                     "<Override PartName=\"/xl/sharedStrings.xml\" "
                     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
                     "sharedStrings+xml\"/>");
}

// Deflate gives at most about 1032 bytes for each byte it is given.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint32_t LittleEndian(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// One entry of a zip package's central directory.
struct ZipEntry {
    std::string name;
    std::uint32_t flags = 0;
    std::uint32_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t packed = 0;
    std::uint64_t unpacked = 0;
    std::uint64_t offset = 0; // of its local header
};

// The entries of a package's central directory, in its order; nullopt when
// the file has none (no end record). Throws when the directory lies outside
// the file.
std::optional<std::vector<ZipEntry>> ZipDirectory(std::ifstream& in, std::uint64_t size) {
    const std::uint64_t tail = std::min<std::uint64_t>(size, 22 + 0xFFFF);
    std::string end(tail, '\0');
    in.seekg(static_cast<std::streamoff>(size - tail));
    in.read(end.data(), static_cast<std::streamsize>(tail));
    const std::size_t eocd = end.rfind(std::string("PK\5\6", 4));
    if (!in || eocd == std::string::npos || eocd + 22 > end.size())
        return std::nullopt;
    const std::uint64_t cdSize = LittleEndian(end, eocd + 12, 4);
    const std::uint64_t cdOffset = LittleEndian(end, eocd + 16, 4);
    const auto tooBig = std::runtime_error("its parts claim more data than the file holds");
    if (cdOffset + cdSize > size)
        throw tooBig;
    std::string cd(cdSize, '\0');
    in.seekg(static_cast<std::streamoff>(cdOffset));
    in.read(cd.data(), static_cast<std::streamsize>(cdSize));
    if (!in)
        throw tooBig;
    std::vector<ZipEntry> entries;
    for (std::size_t at = 0; at + 46 <= cd.size() && cd.compare(at, 4, "PK\1\2", 4) == 0;) {
        ZipEntry e;
        e.flags = LittleEndian(cd, at + 8, 2);
        e.method = LittleEndian(cd, at + 10, 2);
        e.crc = LittleEndian(cd, at + 16, 4);
        e.packed = LittleEndian(cd, at + 20, 4);
        e.unpacked = LittleEndian(cd, at + 24, 4);
        e.offset = LittleEndian(cd, at + 42, 4);
        const std::size_t nameSize = LittleEndian(cd, at + 28, 2);
        e.name = cd.substr(at + 46, std::min(nameSize, cd.size() - at - 46));
        entries.push_back(std::move(e));
        at += 46 + nameSize + LittleEndian(cd, at + 30, 2) + LittleEndian(cd, at + 32, 2);
    }
    return entries;
}

// Refuses a package whose central directory claims entries bigger than their
// compressed bytes can give, or bytes the file does not have: the zip reader
// sizes its buffers by those claims, and a few bytes of a crafted file would
// otherwise ask for gigabytes. A file without a central directory is left to
// the reader to refuse.
void CheckZipEntrySizes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return;
    const std::uint64_t size = static_cast<std::uint64_t>(in.tellg());
    const std::optional<std::vector<ZipEntry>> entries = ZipDirectory(in, size);
    if (!entries)
        return;
    for (const ZipEntry& e : *entries)
        if (e.packed > size || e.unpacked > e.packed * kMaxDeflateRatio + 1024)
            throw std::runtime_error("its parts claim more data than the file holds");
}

// One part of a zip package, inflated a piece at a time: a part of tens of
// megabytes is never held whole. Its size and checksum are checked at its
// end.
class ZipPartPieces {
public:
    ZipPartPieces(const std::string& path, const std::string& name)
        : in_(path, std::ios::binary | std::ios::ate), name_(name) {
        if (!in_)
            throw std::runtime_error("the file cannot be opened");
        const std::uint64_t size = static_cast<std::uint64_t>(in_.tellg());
        const std::optional<std::vector<ZipEntry>> entries = ZipDirectory(in_, size);
        if (!entries)
            throw std::runtime_error("its zip directory is missing: the file is damaged");
        const auto entry = std::find_if(entries->begin(), entries->end(),
                                        [&](const ZipEntry& e) { return e.name == name; });
        if (entry == entries->end())
            throw std::runtime_error("it has no part " + name);
        if (entry->flags & 1)
            throw std::runtime_error("its part " + name + " is encrypted");
        if (entry->method != 0 && entry->method != 8)
            throw std::runtime_error("its part " + name + " is compressed in a way not read");
        // A local header: its name and extra field stand before the data.
        std::string local(30, '\0');
        in_.seekg(static_cast<std::streamoff>(entry->offset));
        in_.read(local.data(), static_cast<std::streamsize>(local.size()));
        if (!in_ || local.compare(0, 4, "PK\3\4", 4) != 0)
            Damaged();
        const std::uint64_t data =
            entry->offset + 30 + LittleEndian(local, 26, 2) + LittleEndian(local, 28, 2);
        if (data + entry->packed > size || (entry->method == 0 && entry->packed != entry->unpacked))
            Damaged();
        in_.seekg(static_cast<std::streamoff>(data));
        stored_ = entry->method == 0;
        left_ = entry->packed;
        unpacked_ = entry->unpacked;
        expectedCrc_ = entry->crc;
        if (!stored_ && inflateInit2(&z_, -MAX_WBITS) != Z_OK)
            throw std::runtime_error("not enough memory");
    }
    ~ZipPartPieces() {
        if (!stored_)
            inflateEnd(&z_);
    }
    ZipPartPieces(const ZipPartPieces&) = delete;
    ZipPartPieces& operator=(const ZipPartPieces&) = delete;

    // Appends the next piece to `out`; false at the end of the part.
    bool Next(std::string& out) {
        while (!done_) {
            const std::size_t before = out.size();
            if (stored_) {
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left_, kPiece));
                out.resize(before + n);
                Read(out.data() + before, n);
                left_ -= n;
                done_ = left_ == 0;
            } else {
                if (z_.avail_in == 0 && left_ > 0) {
                    const std::size_t n =
                        static_cast<std::size_t>(std::min<std::uint64_t>(left_, kPiece));
                    Read(input_.data(), n);
                    left_ -= n;
                    z_.next_in = reinterpret_cast<Bytef*>(input_.data());
                    z_.avail_in = static_cast<uInt>(n);
                }
                out.resize(before + kPiece);
                z_.next_out = reinterpret_cast<Bytef*>(out.data() + before);
                z_.avail_out = static_cast<uInt>(kPiece);
                const int rc = inflate(&z_, Z_NO_FLUSH);
                out.resize(before + kPiece - z_.avail_out);
                if (rc == Z_STREAM_END)
                    done_ = true;
                else if ((rc != Z_OK && rc != Z_BUF_ERROR) ||
                         (out.size() == before && z_.avail_in == 0 && left_ == 0))
                    Damaged(); // bad data, or data that stops before its end
            }
            const std::size_t n = out.size() - before;
            crc_ = static_cast<std::uint32_t>(crc32(
                crc_, reinterpret_cast<const Bytef*>(out.data() + before), static_cast<uInt>(n)));
            got_ += n;
            if (got_ > unpacked_ || (done_ && (got_ != unpacked_ || crc_ != expectedCrc_)))
                Damaged();
            if (n > 0)
                return true;
        }
        return false;
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;

    void Read(char* to, std::size_t n) {
        in_.read(to, static_cast<std::streamsize>(n));
        if (!in_)
            Damaged();
    }
    [[noreturn]] void Damaged() const {
        throw std::runtime_error("its part " + name_ + " is damaged");
    }

    std::ifstream in_;
    std::string name_;
    z_stream z_{};
    bool stored_ = true;
    bool done_ = false;
    std::uint64_t left_ = 0;     // compressed bytes not yet read
    std::uint64_t unpacked_ = 0; // the size the directory gives
    std::uint64_t got_ = 0;
    std::uint32_t crc_ = 0;
    std::uint32_t expectedCrc_ = 0;
    std::vector<char> input_ = std::vector<char>(kPiece);
};

// Every entry of the package, in its order.
Entries PackageEntries(const std::string& path) {
    orcus::zip_archive_stream_fd stream(path.c_str());
    orcus::zip_archive archive(&stream);
    archive.load();
    Entries entries;
    std::vector<unsigned char> buffer;
    for (std::size_t i = 0; i < archive.get_file_entry_count(); ++i) {
        std::string name(archive.get_file_entry_name(i));
        if (!archive.read_file_entry(name, buffer))
            continue;
        // The reader ends each entry's bytes with a NUL of its own.
        if (!buffer.empty() && buffer.back() == 0)
            buffer.pop_back();
        entries.emplace_back(std::move(name), std::string(buffer.begin(), buffer.end()));
    }
    return entries;
}

// The package mended, or nullopt when it has nothing to mend.
std::optional<std::string> MendedPackage(Entries& entries) {
    bool mended = false;
    for (auto& [name, data] : entries)
        if (name.ends_with(".rels") && HasAbsoluteTarget(data)) {
            data = RelativeTargets(data, SourceFolder(name));
            mended = true;
        }
    MendInlineStrings(entries, mended);
    if (!mended)
        return std::nullopt;
    return StoredZip(entries);
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether every markup of an XML text is closed and its elements nest, with
// one root: a check of the structure only, in one pass and without building a
// tree (the sheet part of a big workbook is tens of megabytes).
bool XmlStructureComplete(std::string_view t) {
    constexpr auto npos = std::string_view::npos;
    const std::size_t n = t.size();
    std::vector<std::string_view> open;
    bool rootSeen = false;
    std::size_t p = 0;
    // Moves past `end`; false when the text stops before it.
    auto past = [&](std::string_view end) {
        const std::size_t at = t.find(end, p);
        if (at == npos)
            return false;
        p = at + end.size();
        return true;
    };
    // Moves to the quote that closes the one at p; false when there is none.
    auto quoted = [&] {
        const std::size_t at = t.find(t[p], p + 1);
        if (at == npos)
            return false;
        p = at;
        return true;
    };
    for (;;) {
        const std::size_t lt = t.find('<', p);
        if (lt == npos)
            break;
        p = lt + 1;
        if (p >= n)
            return false;
        if (t.compare(p, 3, "!--") == 0) {
            p += 3;
            if (!past("-->"))
                return false;
            continue;
        }
        if (t.compare(p, 8, "![CDATA[") == 0) {
            p += 8;
            if (open.empty() || !past("]]>"))
                return false;
            continue;
        }
        if (t[p] == '?') {
            if (!past("?>"))
                return false;
            continue;
        }
        if (t[p] == '!') { // a declaration, past its internal subset
            int depth = 0;
            for (; p < n; ++p) {
                const char c = t[p];
                if (c == '"' || c == '\'') {
                    if (!quoted())
                        return false;
                } else if (c == '[') {
                    ++depth;
                } else if (c == ']') {
                    --depth;
                } else if (c == '>' && depth <= 0) {
                    break;
                }
            }
            if (p++ >= n)
                return false;
            continue;
        }
        const bool closing = t[p] == '/';
        if (closing)
            ++p;
        const std::size_t nameStart = p;
        while (p < n && !IsXmlSpace(t[p]) && t[p] != '>' && t[p] != '/')
            ++p;
        const std::string_view name = t.substr(nameStart, p - nameStart);
        if (name.empty())
            return false;
        bool empty = false;
        for (;; ++p) {
            if (p >= n)
                return false;
            const char c = t[p];
            if (c == '"' || c == '\'') {
                const std::size_t start = p;
                if (!quoted() || t.substr(start, p - start).find('<') != npos)
                    return false;
            } else if (c == '<') {
                return false;
            } else if (c == '>') {
                empty = t[p - 1] == '/';
                ++p;
                break;
            }
        }
        if (closing) {
            if (empty || open.empty() || open.back() != name)
                return false;
            open.pop_back();
            continue;
        }
        if (open.empty() && rootSeen)
            return false; // a second root
        rootSeen = true;
        if (!empty)
            open.push_back(name);
    }
    return rootSeen && open.empty();
}

// orcus's XML parser reads past the end of a part that stops inside a
// markup (liborcus 0.17): a part orcus may parse as XML must be complete
// before orcus sees it. Only a part whose first byte orcus refuses (an image,
// a binary part) is left unchecked.
void CheckXmlParts(const Entries& entries) {
    for (const auto& [name, data] : entries) {
        if (data.empty() ||
            std::string_view(" \t\r\n\v\f<\xEF").find(data[0]) == std::string_view::npos)
            continue;
        std::string_view text = data;
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        if (text.find('\0') != std::string_view::npos || !XmlStructureComplete(text))
            throw std::runtime_error("its part " + name + " is not well-formed XML");
    }
}

// The package's parts checked, and the package mended when it needs it.
std::optional<std::string> CheckedPackage(const std::string& path) {
    Entries entries = PackageEntries(path);
    std::optional<std::string> mended = MendedPackage(entries);
    CheckXmlParts(entries);
    return mended;
}

} // namespace

} // namespace gw

extern "C" __attribute__((visibility("default"))) void
gw_read_sheet(const gw::SheetReadRequest& request, gw::SheetReadReply& reply) {
    reply = gw::SheetReadReply{};
    // The rows of the wanted sheet, as they come; the total is not known.
    gw::ProgressTicker ticker(request.progress, 0, 1024);
    try {
        if (request.format == gw::WorkbookFormat::Xls) {
            gw::ReadXlsSheet(request, reply);
        } else if (request.format == gw::WorkbookFormat::Ods) {
            gw::CheckZipEntrySizes(request.path);
            gw::ZipPartPieces content(request.path, "content.xml");
            gw::ReadOdsContent([&](std::string& out) { return content.Next(out); },
                               request.sheetName, reply, ticker.Active() ? &ticker : nullptr);
        } else {
            gw::CheckZipEntrySizes(request.path);
            const std::optional<std::string> mended = gw::CheckedPackage(request.path);
            gw::Receiver receiver(request.sheetName, reply, ticker.Active() ? &ticker : nullptr);
            orcus::orcus_xlsx filter(&receiver);
            if (mended)
                filter.read_stream(*mended);
            else
                filter.read_file(request.path);
        }
        reply.ok = true;
    } catch (const gw::WorkCancelled&) {
        reply.ok = false;
        reply.cancelled = true;
    } catch (const std::exception& e) {
        reply.ok = false;
        reply.error = e.what();
    } catch (...) {
        reply.ok = false;
        reply.error = "unknown error";
    }
    // A library may have wrapped the cancel in an error of its own.
    if (!reply.ok && request.progress && request.progress->cancelled &&
        request.progress->cancelled())
        reply.cancelled = true;
}
