#include "InputRows.h"

#include <algorithm>
#include <utility>

#include "FieldNumbers.h"

namespace pelorin {

namespace {
using enum Quantity;

// The quantities of rows 3 to 10 under the conductivity aim.
constexpr std::array<Quantity, 8> kConductivityRows = {R, D2, Dw, Db, E, W, Dm, S};
// The quantities of rows 2 to 12 in the standard layout.
constexpr std::array<Quantity, 11> kStandardMiddle = {D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2};

// The quantities of rows 1 and 13 under one of the first three aims.
std::pair<Quantity, Quantity> EndQuantities(CalcAim aim) {
    const AimLayout& layout = LayoutOf(aim);
    return {layout.sheet.front().quantity, layout.sheet.back().quantity};
}

// Rows 1 and 13 of the first three aims.
void FillEndRows(InputRows& rows) {
    if (rows.CurrentAim == CalcAim::Conductivity) return;
    const auto [first, last] = EndQuantities(rows.CurrentAim);
    rows.Row(1) = rows.M(first);
    rows.Row(kRowCount) = rows.M(last);
}

// The quantity one of the first three aims seeks: its file does not hold it.
Quantity SoughtQuantity(CalcAim aim) {
    switch (aim) {
        case CalcAim::Spacing: return S;
        case CalcAim::Discharge: return R;
        case CalcAim::WaterTableDepth: return Dm;
        case CalcAim::Conductivity: break;  // seeks the permeabilities
    }
    return Kb1;
}

}  // namespace

const char* RowCaption(Quantity q) { return TextsOf(q).sheetLabel; }

// The unit stands in brackets at the right of the blanks after the symbol:
// the other unit takes the same right edge, using the blanks it needs.
std::string RowCaption(Quantity q, UnitSystem units) {
    std::string caption = RowCaption(q);
    const std::string siUnit = std::string("(") + UnitName(q, UnitSystem::SI) + ")";
    const std::string shown = std::string("(") + UnitName(q, units) + ")";
    const std::size_t at = caption.find(siUnit);
    if (at == std::string::npos || shown == siUnit) return caption;
    const std::size_t end = at + siUnit.size();
    const std::size_t width = std::max(siUnit.size(), shown.size());
    if (width > end || caption.find_first_not_of(' ', end - width) < at) return caption;
    caption.replace(end - width, width, std::string(width - shown.size(), ' ') + shown);
    return caption;
}

RowLayout LayoutRows(CalcAim aim, UnitSystem units) {
    const AimLayout& aimLayout = LayoutOf(aim);
    const AimLayout& standard = LayoutOf(CalcAim::Spacing);
    RowLayout layout;
    layout.FootnoteVisible = aimLayout.footnoteShown;
    for (int i = 0; i < kRowCount; ++i) {
        const SheetRow& row = aimLayout.sheet[i];
        layout.CaptionVisible[i] = row.shows != SheetRow::Shows::Nothing;
        layout.FieldVisible[i] = row.shows == SheetRow::Shows::Quantity;
        switch (row.shows) {
            case SheetRow::Shows::Quantity:
                layout.Captions[i] = RowCaption(row.quantity, units);
                break;
            case SheetRow::Shows::Footnote: layout.Captions[i] = kFootnoteCaption; break;
            // A hidden row keeps its standard caption, out of sight.
            case SheetRow::Shows::Nothing:
                layout.Captions[i] = RowCaption(standard.sheet[i].quantity, units);
                break;
        }
    }
    return layout;
}

InputRows::InputRows() {
    Rows.fill("0");
    Memory.fill("0");
}

std::string InputRows::MOrZero(Quantity q) const {
    const std::string& text = Memory[static_cast<std::size_t>(q)];
    return text.empty() ? "0" : text;
}

void RestoreStandardRows(InputRows& rows) {
    for (std::size_t k = 0; k < kStandardMiddle.size(); ++k)
        rows.Rows[k + 1] = rows.MOrZero(kStandardMiddle[k]);
    FillEndRows(rows);
}

void FillRowsForAim(InputRows& rows) {
    if (rows.PreviousAim == CalcAim::Conductivity) {
        RestoreStandardRows(rows);
        if (rows.CurrentAim != CalcAim::Conductivity && !rows.M(Ka).empty()) {
            rows.Row(2) = rows.MOrZero(D1);
            const std::array<Quantity, 5> permeabilities = {Ka, Kb1, Kv1, Kb2, Kv2};
            for (std::size_t k = 0; k < permeabilities.size(); ++k)
                rows.Rows[k + 7] = rows.MOrZero(permeabilities[k]);
        }
    }
    if (rows.CurrentAim == CalcAim::Conductivity) {
        for (std::size_t k = 0; k < kConductivityRows.size(); ++k)
            rows.Rows[k + 2] = rows.M(kConductivityRows[k]);
    } else {
        FillEndRows(rows);
    }
    rows.PreviousAim = rows.CurrentAim;
}

void RememberFieldTexts(InputRows& rows) {
    if (rows.CurrentAim == CalcAim::Conductivity) {
        for (std::size_t k = 0; k < kConductivityRows.size(); ++k)
            rows.M(kConductivityRows[k]) = rows.Rows[k];
        if (rows.Row(8) == "0") rows.M(S) = "-1";
        for (int row = 10; row >= 3; --row) rows.Row(row) = rows.Row(row - 2);
    } else {
        // The sought quantity is marked unknown: it is to be typed.
        const auto [first, last] = EndQuantities(rows.CurrentAim);
        rows.M(first) = rows.Row(1);
        rows.M(last) = rows.Row(kRowCount);
        rows.M(SoughtQuantity(rows.CurrentAim)) = "-1";
        for (std::size_t k = 0; k < kStandardMiddle.size(); ++k)
            rows.M(kStandardMiddle[k]) = rows.Rows[k + 1];
    }
    rows.PreviousAim = rows.CurrentAim;
}

std::vector<double> ValuesFromRows(CalcAim aim, const std::array<std::string, kRowCount>& rows,
                                   char systemSeparator) {
    std::vector<double> values(kRowCount, 0.0);
    if (aim == CalcAim::Conductivity) {
        // Rows 3 to 11; row 11 is hidden under this aim and still holds its
        // standard-layout text, which the file carries but nobody reads.
        for (int k = 0; k < 9; ++k) values[k] = StringToFloat(rows[k + 2], systemSeparator);
        return values;
    }
    for (int k = 0; k < kRowCount; ++k) values[k] = StringToFloat(rows[k], systemSeparator);
    return values;
}

std::vector<double> ValuesFromRows(CalcAim aim, const std::array<std::string, kRowCount>& rows,
                                   char systemSeparator, UnitSystem units) {
    std::vector<double> values = ValuesFromRows(aim, rows, systemSeparator);
    if (units == UnitSystem::SI) return values;
    const AimLayout& layout = LayoutOf(aim);
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (const std::optional<Quantity> q = layout.file[k])
            values[k] = StoredSiValue(values[k], *q, units, layout.fileDecimals[k]);
    }
    return values;
}

std::string StoredFieldText(double storedSi, Quantity q, UnitSystem units, CalcAim aim,
                            char systemSeparator) {
    std::string text = ShowStoredValue(storedSi, q, units, FileDecimals(aim, q));
    std::replace(text.begin(), text.end(), '.', systemSeparator);
    return text;
}

}  // namespace pelorin
