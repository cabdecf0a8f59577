#include "CaseTable.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "FileSystem.h"

namespace pelorin::study {

namespace {

enum class Column { Name, Title1, Title2, Aim, Method, Value, Unknown };

// The columns that hold texts come first, then one for each quantity.
constexpr std::size_t kValueSlots = static_cast<std::size_t>(Column::Value);

struct ColumnRole {
    Column column = Column::Unknown;
    Quantity quantity = Quantity::R;
};

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& ch : lowered) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lowered;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

ColumnRole RoleOf(std::string_view header) {
    const std::string name = Lowered(Trimmed(header));
    if (name == "name") return {Column::Name};
    if (name == "title1") return {Column::Title1};
    if (name == "title2") return {Column::Title2};
    if (name == "aim") return {Column::Aim};
    if (name == "method") return {Column::Method};
    for (int q = 0; q < kQuantityCount; ++q) {
        if (name == Lowered(TextsOf(static_cast<Quantity>(q)).symbol))
            return {Column::Value, static_cast<Quantity>(q)};
    }
    return {};
}

// The names seen so far as 64-bit fingerprints, in a flat table of slots (a
// table of a million rows takes 16 MB here, not the names themselves): a
// shard keeps only its own rows but must know every name before them.
class NameFingerprints {
  public:
    // False when the name was seen before.
    bool Insert(std::string_view name) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        if (!Place(slots_, FingerprintOf(name))) return false;
        ++count_;
        return true;
    }

  private:
    static std::uint64_t FingerprintOf(std::string_view name) {
        std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a, then mixed
        for (const char ch : name)
            hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ULL;
        hash ^= hash >> 33;
        hash *= 0xff51afd7ed558ccdULL;
        hash ^= hash >> 33;
        return hash == 0 ? 1 : hash;  // 0 marks a free slot
    }

    static bool Place(std::vector<std::uint64_t>& slots, std::uint64_t fingerprint) {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t at = fingerprint & mask;; at = (at + 1) & mask) {
            if (slots[at] == fingerprint) return false;
            if (slots[at] == 0) {
                slots[at] = fingerprint;
                return true;
            }
        }
    }

    void Grow() {
        std::vector<std::uint64_t> larger(std::max<std::size_t>(64, slots_.size() * 2), 0);
        for (const std::uint64_t fingerprint : slots_)
            if (fingerprint != 0) Place(larger, fingerprint);
        slots_.swap(larger);
    }

    std::vector<std::uint64_t> slots_;
    std::size_t count_ = 0;
};

// libcsv hands over fields and row ends; this gathers them into rows, keeping
// those of one shard.
class TableBuilder {
  public:
    TableBuilder(CaseTable& table, long shardIndex, long shardCount)
        : table_(table), shardIndex_(shardIndex), shardCount_(shardCount) {}

    static void OnField(void* field, std::size_t size, void* self) {
        static_cast<TableBuilder*>(self)->fields_.emplace_back(static_cast<const char*>(field),
                                                               size);
    }
    static void OnRowEnd(int, void* self) { static_cast<TableBuilder*>(self)->EndRow(); }

  private:
    void EndRow() {
        if (roles_.empty()) {
            TakeHeader();
        } else if (table_.Ok) {
            TakeRow();
        }
        fields_.clear();
    }

    void TakeHeader() {
        std::vector<bool> seen(kValueSlots + kQuantityCount, false);
        for (const std::string& field : fields_) {
            const ColumnRole role = RoleOf(field);
            roles_.push_back(role);
            if (role.column == Column::Unknown) continue;
            const std::size_t slot = role.column == Column::Value
                                         ? kValueSlots + static_cast<std::size_t>(role.quantity)
                                         : static_cast<std::size_t>(role.column);
            if (seen[slot]) Refuse("the header names the column " + field + " twice.");
            seen[slot] = true;
        }
        if (!seen[static_cast<std::size_t>(Column::Name)]) Refuse("the header has no column name.");
        if (!seen[static_cast<std::size_t>(Column::Aim)]) Refuse("the header has no column aim.");
    }

    bool HasExtraFields() const {
        for (std::size_t k = roles_.size(); k < fields_.size(); ++k)
            if (!Trimmed(fields_[k]).empty()) return true;
        return false;
    }

    // A row of another shard leaves only its name's fingerprint, for the rule
    // that a name may be used once.
    void PassRow() {
        if (HasExtraFields()) return;
        for (std::size_t k = 0; k < fields_.size() && k < roles_.size(); ++k) {
            if (roles_[k].column == Column::Name) {
                names_.Insert(fields_[k]);
                return;
            }
        }
        names_.Insert({});
    }

    void TakeRow() {
        ++rowCount_;
        if ((rowCount_ - 1) % shardCount_ != shardIndex_ - 1) return PassRow();
        CaseRow row;
        row.Row = rowCount_;
        row.CommaDecimals = table_.Separator == ';';
        for (std::size_t k = 0; k < fields_.size(); ++k) {
            if (k >= roles_.size()) {
                if (!Trimmed(fields_[k]).empty())
                    row.Defect = "the row has more fields than the header names";
                continue;
            }
            std::string& field = fields_[k];
            switch (roles_[k].column) {
                case Column::Name: row.Name = std::move(field); break;
                case Column::Title1: row.Title1 = std::move(field); break;
                case Column::Title2: row.Title2 = std::move(field); break;
                case Column::Aim: row.Aim = std::string(Trimmed(field)); break;
                case Column::Method: row.Method = std::string(Trimmed(field)); break;
                case Column::Value:
                    row.Values[static_cast<std::size_t>(roles_[k].quantity)] =
                        std::string(Trimmed(field));
                    break;
                case Column::Unknown: break;
            }
        }
        // A later row of the same name fails, whichever shard it falls in.
        if (row.Defect.empty() && !names_.Insert(row.Name))
            row.Defect = "the name " + row.Name + " is used by an earlier row";
        table_.Rows.push_back(std::move(row));
    }

    void Refuse(const std::string& why) {
        if (!table_.Ok) return;
        table_.Ok = false;
        table_.Message = why;
    }

    CaseTable& table_;
    std::vector<ColumnRole> roles_;
    std::vector<std::string> fields_;
    NameFingerprints names_;
    const long shardIndex_;
    const long shardCount_;
    long rowCount_ = 0;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

char SeparatorOf(std::string_view firstLine) {
    const auto count = [&](char ch) { return std::count(firstLine.begin(), firstLine.end(), ch); };
    return count(';') > count(',') ? ';' : ',';
}

namespace {

// A table in another encoding than UTF-8 would read as a header without the
// known names: it is named instead. Empty for UTF-8 (with one mark at most).
std::string EncodingProblem(std::string_view text) {
    if (text.starts_with(kByteOrderMark))
        return "it starts with two UTF-8 byte-order marks; save it with one at most.";
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
        text.substr(0, text.find('\n')).find('\0') != std::string_view::npos)
        return "it is written in UTF-16 (or UTF-32); save it as UTF-8.";
    return {};
}

}  // namespace

namespace {

// Takes a table apart piece by piece as it is read, so that a large table is
// never held whole: the first line decides the encoding and the separator.
class TableParser {
  public:
    TableParser(CaseTable& table, long shardIndex, long shardCount)
        : table_(table), builder_(table, shardIndex, shardCount) {}
    ~TableParser() {
        if (started_) csv_free(&parser_);
    }
    TableParser(const TableParser&) = delete;
    TableParser& operator=(const TableParser&) = delete;

    void Feed(std::string_view bytes) {
        if (failed_) return;
        if (started_) return Parse(bytes);
        head_.append(bytes);
        if (head_.find('\n') != std::string::npos) Start();
    }

    void Finish() {
        if (!started_ && !failed_) Start();
        if (failed_) return;
        if (csv_fini(&parser_, TableBuilder::OnField, TableBuilder::OnRowEnd, &builder_) != 0)
            Fail(offset_);
        if (table_.Ok && !anyText_) {
            table_.Ok = false;
            table_.Message = "it is empty: the header row is missing.";
        }
    }

  private:
    void Start() {
        std::string_view text = head_;
        if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
        if (std::string problem = EncodingProblem(text); !problem.empty()) {
            table_ = {false, std::move(problem), ',', {}};
            failed_ = true;
            return;
        }
        table_.Separator = SeparatorOf(text.substr(0, text.find('\n')));
        if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL) != 0) {
            table_ = {false, "out of memory.", ',', {}};
            failed_ = true;
            return;
        }
        started_ = true;
        csv_set_delim(&parser_, static_cast<unsigned char>(table_.Separator));
        Parse(text);
        head_.clear();
        head_.shrink_to_fit();
    }

    void Parse(std::string_view bytes) {
        if (bytes.find_first_not_of(" \t\r\n") != std::string_view::npos) anyText_ = true;
        const std::size_t parsed =
            csv_parse(&parser_, bytes.data(), bytes.size(), TableBuilder::OnField,
                      TableBuilder::OnRowEnd, &builder_);
        if (parsed != bytes.size()) Fail(offset_ + parsed);
        offset_ += bytes.size();
    }

    void Fail(std::size_t at) {
        table_.Ok = false;
        table_.Message = std::string("it is not a valid CSV table (") +
                         csv_strerror(csv_error(&parser_)) + ", near byte " +
                         std::to_string(at + 1) + ").";
        failed_ = true;
    }

    CaseTable& table_;
    TableBuilder builder_;
    csv_parser parser_{};
    std::string head_;  // the bytes before the first line end, until it comes
    bool started_ = false;
    bool failed_ = false;
    bool anyText_ = false;
    std::size_t offset_ = 0;  // bytes handed to libcsv so far
};

}  // namespace

CaseTable ParseCaseTable(std::string_view text, long shardIndex, long shardCount) {
    CaseTable table;
    TableParser parser(table, shardIndex, shardCount);
    parser.Feed(text);
    parser.Finish();
    return table;
}

CaseTable ReadCaseTable(const std::string& fileName, long shardIndex, long shardCount) {
    FileReader reader;
    if (const int error = reader.Open(fileName); error != 0) {
        return {false, fileName + ": cannot be read (" + std::strerror(error) + ").", ',', {}};
    }
    CaseTable table;
    {
        TableParser parser(table, shardIndex, shardCount);
        std::vector<char> buffer(65536);
        for (;;) {
            int error = 0;
            const long got = reader.Read(buffer.data(), buffer.size(), error);
            if (got < 0) {
                return {
                    false, fileName + ": cannot be read (" + std::strerror(error) + ").", ',', {}};
            }
            if (got == 0) break;
            parser.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        }
        parser.Finish();
    }
    if (!table.Ok) table.Message = fileName + ": " + table.Message;
    return table;
}

}  // namespace pelorin::study
