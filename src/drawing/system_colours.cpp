#include "drawing/system_colours.h"

#include <array>
#include <utility>

namespace hexpane {

namespace {

// System colour index → the palette role that shows the same thing.
constexpr std::array kSystemRoles = {
    QPalette::Button,           // 0 scroll bar
    QPalette::Window,           // 1 desktop
    QPalette::Highlight,        // 2 active title bar
    QPalette::Mid,              // 3 inactive title bar
    QPalette::Window,           // 4 menu
    QPalette::Base,             // 5 window background
    QPalette::WindowText,       // 6 window frame
    QPalette::WindowText,       // 7 menu text
    QPalette::Text,             // 8 window text
    QPalette::HighlightedText,  // 9 title bar text
    QPalette::Mid,              // 10 active border
    QPalette::Mid,              // 11 inactive border
    QPalette::Dark,             // 12 application workspace
    QPalette::Highlight,        // 13 highlight
    QPalette::HighlightedText,  // 14 highlighted text
    QPalette::Window,           // 15 face of windows and buttons
    QPalette::Dark,             // 16 button shadow
    QPalette::PlaceholderText,  // 17 grey text
    QPalette::ButtonText,       // 18 button text
    QPalette::WindowText,       // 19 inactive title bar text
    QPalette::Light,            // 20 button highlight
    QPalette::Shadow,           // 21 dark shadow
    QPalette::Midlight,         // 22 light edge
    QPalette::ToolTipText,      // 23 tooltip text
    QPalette::ToolTipBase,      // 24 tooltip background
};

constexpr bool isSystem(ColourValue colour) { return colour & 0x80000000u; }

// 0x00BBGGRR to 0xFFRRGGBB.
constexpr QRgb plainRgb(ColourValue colour) {
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

}  // namespace

QRgb toRgb(ColourValue colour, const QPalette& palette) {
    if (isSystem(colour)) {
        const std::size_t index = colour & 0xFFFFu;
        return index < kSystemRoles.size() ? palette.color(kSystemRoles[index]).rgb() : qRgb(0, 0, 0);
    }
    return plainRgb(colour);
}

QPalette defaultPalette() {
    static constexpr std::pair<QPalette::ColorRole, QRgb> kFusion[] = {
        {QPalette::WindowText, 0xFF000000},    {QPalette::Button, 0xFFEFEFEF},
        {QPalette::Light, 0xFFFFFFFF},         {QPalette::Midlight, 0xFFCACACA},
        {QPalette::Dark, 0xFF9F9F9F},          {QPalette::Mid, 0xFFB8B8B8},
        {QPalette::Text, 0xFF000000},          {QPalette::BrightText, 0xFFFFFFFF},
        {QPalette::ButtonText, 0xFF000000},    {QPalette::Base, 0xFFFFFFFF},
        {QPalette::Window, 0xFFEFEFEF},        {QPalette::Shadow, 0xFF767676},
        {QPalette::Highlight, 0xFF308CC6},     {QPalette::HighlightedText, 0xFFFFFFFF},
        {QPalette::Link, 0xFF0000FF},          {QPalette::LinkVisited, 0xFFFF00FF},
        {QPalette::AlternateBase, 0xFFF7F7F7}, {QPalette::ToolTipBase, 0xFFFFFFDC},
        {QPalette::ToolTipText, 0xFF000000},   {QPalette::PlaceholderText, 0x80000000},
    };
    QPalette palette;
    for (const auto& [role, colour] : kFusion) palette.setColor(role, QColor::fromRgba(colour));
    return palette;
}

QImage blankPane(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    // A bitmap records its resolution. Qt would take it from the screen, or
    // say 100 dpi where there is none; a pane's pixels are plain 96 dpi ones.
    constexpr int kDotsPerMetre = 3780;
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    return image;
}

void toRgbRow(std::span<const ColourValue> colours, QRgb* out, const QPalette& palette) {
    // Nearly every pixel has a plain colour; a system colour costs a palette
    // lookup, so the two the panes use are looked up once.
    const QRgb window = toRgb(kWindowBackground, palette);
    const QRgb face = toRgb(kFaceColour, palette);
    auto system = [&](ColourValue c) {
        return c == kWindowBackground ? window : c == kFaceColour ? face : toRgb(c, palette);
    };
    for (const ColourValue c : colours) *out++ = isSystem(c) ? system(c) : plainRgb(c);
}

QImage paneImage(std::span<const ColourValue> colours, int width, int height, const QPalette& palette) {
    QImage image = blankPane(width, height);
    if (image.isNull() || colours.size() != std::size_t(width) * std::size_t(height)) return image;
    for (int y = 0; y < height; ++y) {
        toRgbRow(colours.subspan(std::size_t(y) * std::size_t(width), std::size_t(width)),
                 reinterpret_cast<QRgb*>(image.scanLine(y)), palette);
    }
    return image;
}

}  // namespace hexpane
