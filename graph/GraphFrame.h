#pragma once

// Where the water-table graph puts its fixed parts on the canvas (the canvas
// and plot sizes are in GraphScales.h), and the colours of its two palettes.
// Plain data without a toolkit: the desktop's drawing lays out its scene from
// here, and the page's SVG script gets the same numbers printed from here.

#include <array>
#include <cstdint>

namespace pelorin::graph {

// What each part of the graph is drawn as; a palette gives each its colour.
enum class GraphInk {
    Canvas,       // the background around the panel
    CanvasText,   // first title line and footer
    Panel,        // the plot panel
    Axis,         // axes and ticks
    SecondTitle,  // second title line
    Label,        // axis captions and tick labels
    Darcy,        // "x" markers and their legend
    Energy,       // "o" markers and their legend
    Requested,    // the requested line and its legend
};
inline constexpr int kInkCount = 9;

// The top-left corner of a text's box, in canvas pixels (y grows downward).
struct FramePoint {
    int X = 0;
    int Y = 0;
};

// A filled rectangle from its top-left to its bottom-right pixel, both inside.
struct FrameArea {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

inline constexpr FramePoint kTitle1At{78, 0};  // in the large font
inline constexpr FramePoint kFooterAt{20, 445};
inline constexpr FrameArea kPanelArea{20, 19, 604, 444};
inline constexpr FramePoint kTitle2At{80, 20};
inline constexpr FramePoint kDistanceCaptionAt{470, 415};
inline constexpr FramePoint kHeightCaptionAt{70, 50};
inline constexpr FramePoint kLegendDarcyAt{82, 65};
inline constexpr FramePoint kLegendEnergyAt{86, 80};
inline constexpr FramePoint kLegendRequestedAt{86, 95};

// A tick sticks out of its axis by this many pixels; a height label ends this
// far left of the axis; distance labels have their tops on one row.
inline constexpr int kTickLength = 4;
inline constexpr int kHeightLabelGap = 6;
inline constexpr int kDistanceLabelTop = 402;
// The requested line runs this many pixels below the top of a marker's row.
inline constexpr int kRequestedLineBelow = 8;

// The fonts' pixel sizes: the first title, and everything else.
inline constexpr int kLargeFontPixels = 13;
inline constexpr int kSmallFontPixels = 11;

// The colours as 0xRRGGBB, in the order of GraphInk.
using InkColours = std::array<std::uint32_t, kInkCount>;
inline constexpr std::uint32_t kSilver = 0xC0C0C0, kBlack = 0x000000, kWhite = 0xFFFFFF,
                               kDarkBlue = 0x00008B, kYellow = 0xFFFF00, kCyan = 0x00FFFF;
inline constexpr InkColours kColourInks = {kSilver, kBlack, kDarkBlue, kWhite, kYellow,
                                           kWhite,  kCyan,  kWhite,    kYellow};
inline constexpr InkColours kBlackAndWhiteInks = {kSilver, kBlack, kWhite, kBlack, kBlack,
                                                  kBlack,  kBlack, kBlack, kBlack};

}  // namespace pelorin::graph
