#pragma once

#include <array>
#include <cstdint>

// The About box lays itself out around its widest notice line. This is that arithmetic, in
// twips, apart from the widgets: what it needs measured goes in, every control's place comes out.

struct TwipsBox
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct AboutMeasures
{
    // The labels' sizes, each in its own font.
    TwipsBox appName, version, copyright, name;
    std::array<TwipsBox, 5> notices;
    // Heights of captions measured with the dialog's font (not the labels' own).
    int32_t appNameTextHeight = 0;
    int32_t copyrightTextHeight = 0;
    int32_t nameTextHeight = 0;
    int32_t rightsTextHeight = 0;
    TwipsBox image; // 32 x 32 pixels
    TwipsBox rights; // txtAllrights at its design size
    TwipsBox ok; // cmdOK at its design place
    int32_t frameTop = -10; // Frame1's design top, never changed
    // The dialog's window around its client area (title bar and borders), in twips.
    int32_t borderWidth = 0;
    int32_t borderHeight = 0;
};

struct AboutLayout
{
    TwipsBox frame1, frame2;
    TwipsBox appName, version, image, copyright, name, rights, ok;
    std::array<TwipsBox, 5> notices;
    // The dialog's outer size (the client area is the border smaller).
    int32_t width = 0;
    int32_t height = 0;
};

// Frame1 is 480 wider than notice line 3, the dialog 240 wider than Frame1 and Frame2 240
// narrower; every item is centred in Frame1; the items stand one under another from the top,
// the notice lines 210 apart; Frame1 ends 120 below the last notice line, the dialog 90 below it.
AboutLayout LayOutAboutBox(const AboutMeasures &m);
