#pragma once

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <string>

namespace echovane::testing
{
/** Where the editor puts the children it owns at one size. */
struct ExpectedLayout
{
    int width, height;
    juce::Rectangle<int> downGlowBar, upperGlowBar, controlRow, updateNotice, infoHotspot, sizeChanger;
};

/** Expectations kept apart from the layout code. The three size steps are the pixel results the
    layout's definition states; the other sizes were worked out from that definition by hand
    (single against double precision and truncation as it states them) and stored here, so a
    change of the code's formula cannot carry its expectation along with it. */
inline const ExpectedLayout expectedLayouts[] = {
    { 1000, 480, { 20, 429, 960, 50 }, { 20, 2, 960, 50 }, { 0, 50, 1000, 389 }, { 170, 38, 100, 12 }, { 135, 19, 170, 16 }, { 793, 2, 90, 51 } },
    { 800, 384, { 16, 343, 768, 40 }, { 16, 1, 768, 40 }, { 0, 40, 800, 311 }, { 136, 30, 80, 9 }, { 108, 15, 136, 13 }, { 634, 1, 72, 41 } },
    { 1500, 720, { 30, 644, 1440, 75 }, { 30, 3, 1440, 75 }, { 0, 75, 1500, 583 }, { 255, 57, 150, 18 }, { 202, 28, 255, 24 }, { 1190, 3, 135, 77 } },
    // Host-chosen sizes: flat, tall, tiny, empty, huge and in between.
    { 2000, 60, { 40, -40, 1920, 100 }, { 40, 0, 1920, 100 }, { 0, 100, 2000, 0 }, { 340, 4, 200, 1 }, { 270, 2, 340, 2 }, { 1587, 0, 180, 102 } },
    { 60, 2000, { 1, 1996, 57, 3 }, { 1, 10, 57, 3 }, { 0, 3, 60, 1994 }, { 10, 160, 6, 50 }, { 8, 80, 10, 68 }, { 47, 10, 5, 3 } },
    { 1, 1, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 1, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 } },
    { 0, 0, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 } },
    { 1000, 20, { 20, -30, 960, 50 }, { 20, 0, 960, 50 }, { 0, 50, 1000, 0 }, { 170, 1, 100, 0 }, { 135, 0, 170, 0 }, { 793, 0, 90, 51 } },
    { 9000, 6000, { 180, 5545, 8640, 454 }, { 180, 30, 8640, 454 }, { 0, 454, 9000, 5182 }, { 1530, 480, 900, 150 }, { 1215, 240, 1530, 204 }, { 7141, 30, 810, 462 } },
    { 1300, 300, { 26, 234, 1248, 65 }, { 26, 1, 1248, 65 }, { 0, 65, 1300, 181 }, { 221, 24, 130, 7 }, { 175, 12, 221, 10 }, { 1031, 1, 117, 66 } },
    { 1234, 567, { 24, 504, 1184, 62 }, { 24, 2, 1184, 62 }, { 0, 62, 1234, 454 }, { 209, 45, 123, 14 }, { 166, 22, 209, 19 }, { 979, 2, 111, 63 } },
};

/** The stored expectation for a size; a size without one fails the test that asked. */
inline ExpectedLayout expectedLayoutAt (int width, int height)
{
    for (const auto& layout : expectedLayouts)
        if (layout.width == width && layout.height == height)
            return layout;

    ADD_FAILURE() << "no stored layout for " << width << " x " << height;
    return { width, height, {}, {}, {}, {}, {}, {} };
}
} // namespace echovane::testing
