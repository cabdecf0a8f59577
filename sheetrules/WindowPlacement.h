#pragma once

// Where the main window opens on the screen it starts on.

namespace pelorin {

// Where the main window opens on a screen of this width, given its designed
// outer width: left edge 50 and width 760 on screens wider than 860 pixels;
// the designed width when it fits; otherwise from left edge 5 to the screen's
// right edge.
struct WindowPlacement {
    int Left = 50;
    int Width = 0;
};
WindowPlacement PlaceMainWindow(int screenWidth, int designedWidth);

}  // namespace pelorin
