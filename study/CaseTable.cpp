#include "CaseTable.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <unordered_set>

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

// libcsv hands over fields and row ends; this gathers them into rows.
class TableBuilder {
  public:
    explicit TableBuilder(CaseTable& table) : table_(table) {}

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

    void TakeRow() {
        CaseRow row;
        row.Row = static_cast<long>(table_.Rows.size()) + 1;
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
        if (row.Defect.empty() && !names_.insert(row.Name).second)
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
    std::unordered_set<std::string> names_;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

char SeparatorOf(std::string_view firstLine) {
    const auto count = [&](char ch) { return std::count(firstLine.begin(), firstLine.end(), ch); };
    return count(';') > count(',') ? ';' : ',';
}

CaseTable ParseCaseTable(std::string_view text) {
    CaseTable table;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    table.Separator = SeparatorOf(text.substr(0, text.find('\n')));
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL) != 0) {
        return {false, "out of memory.", ',', {}};
    }
    csv_set_delim(&parser, static_cast<unsigned char>(table.Separator));
    TableBuilder builder(table);
    const std::size_t parsed = csv_parse(&parser, text.data(), text.size(), TableBuilder::OnField,
                                         TableBuilder::OnRowEnd, &builder);
    if (parsed != text.size() ||
        csv_fini(&parser, TableBuilder::OnField, TableBuilder::OnRowEnd, &builder) != 0) {
        table.Ok = false;
        table.Message = std::string("it is not a valid CSV table (") +
                        csv_strerror(csv_error(&parser)) + ", near byte " +
                        std::to_string(parsed + 1) + ").";
    }
    csv_free(&parser);
    if (table.Ok && text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        table.Ok = false;
        table.Message = "it is empty: the header row is missing.";
    }
    return table;
}

CaseTable ReadCaseTable(const std::string& fileName) {
    FileReader reader;
    if (const int error = reader.Open(fileName); error != 0) {
        return {false, fileName + ": cannot be read (" + std::strerror(error) + ").", ',', {}};
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        int error = 0;
        const long got = reader.Read(buffer, sizeof buffer, error);
        if (got < 0) {
            return {false, fileName + ": cannot be read (" + std::strerror(error) + ").", ',', {}};
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    CaseTable table = ParseCaseTable(text);
    if (!table.Ok) table.Message = fileName + ": " + table.Message;
    return table;
}

std::vector<CaseRow> ShardOf(std::vector<CaseRow> rows, long k, long n) {
    std::erase_if(rows, [&](const CaseRow& row) { return (row.Row - 1) % n != k - 1; });
    return rows;
}

}  // namespace pelorin::study
