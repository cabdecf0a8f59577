// Prints the Input sheet's row layout of every aim as a script for the page:
// the captions and which rows show, from the desktop program's own tables
// (sheetrules/InputRows, engine/CaseLayout), so that the page shows the same texts.
// scripts/web builds and runs it with the host's compiler.

#include <cstdio>
#include <string>

#include "CaseLayout.h"
#include "InputFile.h"
#include "InputRows.h"

namespace {

using pelorin::CalcAim;
using pelorin::Quantity;

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

template <class Array, class Item>
void PrintArray(const char* name, const Array& array, Item item) {
    std::printf("    %s: [", name);
    for (std::size_t i = 0; i < array.size(); ++i)
        std::printf("%s%s", i == 0 ? "" : ", ", item(array[i]).c_str());
    std::printf("],\n");
}

void PrintAim(CalcAim aim) {
    const pelorin::RowLayout rows = pelorin::LayoutRows(aim);
    const pelorin::AimLayout& file = pelorin::LayoutOf(aim);
    std::printf("  %s: {\n", pelorin::AimCodeOf(aim));
    PrintArray("captions", rows.Captions, Quoted);
    const auto flag = [](bool shown) { return std::string(shown ? "true" : "false"); };
    PrintArray("captionVisible", rows.CaptionVisible, flag);
    PrintArray("fieldVisible", rows.FieldVisible, flag);
    PrintArray("fileQuantities", file.file, [](const std::optional<Quantity>& q) {
        return q ? Quoted(pelorin::TextsOf(*q).symbol) : std::string("null");
    });
    PrintArray("fileDecimals", file.fileDecimals, [](int d) { return std::to_string(d); });
    std::printf("    footnoteVisible: %s,\n  },\n", rows.FootnoteVisible ? "true" : "false");
}

}  // namespace

int main() {
    std::printf("// Made by scripts/web from the Input sheet's tables; do not edit.\n");
    std::printf("self.PelorinRows = {\n");
    std::printf("  footnoteCaption: %s,\n", Quoted(pelorin::kFootnoteCaption).c_str());
    std::printf("  quantities: [");
    for (int q = 0; q < pelorin::kQuantityCount; ++q)
        std::printf("%s%s", q == 0 ? "" : ", ",
                    Quoted(pelorin::TextsOf(static_cast<Quantity>(q)).symbol).c_str());
    std::printf("],\n");
    for (CalcAim aim :
         {CalcAim::Spacing, CalcAim::Discharge, CalcAim::WaterTableDepth, CalcAim::Conductivity})
        PrintAim(aim);
    std::printf("};\n");
    return 0;
}
