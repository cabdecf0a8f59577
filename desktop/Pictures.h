#pragma once

#include <QPixmap>

namespace pelorin {

// The pictures of the windows, drawn by the project (tools/make_pictures.cpp)
// and built into the program. A picture that cannot be decoded comes back
// empty; the window then shows a blank space instead of failing.
QPixmap ExplanatoryFigure();          // 667 x 413, the symbols of the Input sheet
QPixmap EntranceResistancePicture();  // 553 x 353
QPixmap LogoPicture();                // 109 x 96
QPixmap CartoonPicture();             // 141 x 171

}  // namespace pelorin
