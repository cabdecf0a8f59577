#include "WindowPlacement.h"

namespace pelorin {

WindowPlacement PlaceMainWindow(int screenWidth, int designedWidth) {
    if (screenWidth > 860) return {50, 760};
    if (screenWidth < designedWidth) return {5, screenWidth - 5};
    return {50, designedWidth};
}

}  // namespace pelorin
