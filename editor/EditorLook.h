#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** How the editor looks, in one place: the palette that the controls and the info panels draw
    with, the captions on screen, and the small helpers that the layouts and the drawings share.
    Everything else of the look comes from the compiled-in pictures and JUCE's default
    LookAndFeel_V4. */
namespace EditorLook
{
// The palette, ARGB.

/** Captions of the big knobs and the tempo lever, and the time read-out's text. */
inline const juce::Colour captionText (0xff00b6c3);
/** Captions of the small knobs. */
inline const juce::Colour smallCaptionText (0xff007d8f);
/** The text of a control that is on, and the size changer's percentage. */
inline const juce::Colour activeText (0xff00e0ed);
/** The text and the outline of a toggle that is off. */
inline const juce::Colour inactive (0xff007887);
/** The outline of TRIPLET or DOTTED when on. */
inline const juce::Colour activeOutline (0xff01c7d4);
/** The fill behind TRIPLET and DOTTED. */
inline const juce::Colour toggleFill (0x80007887);
/** A value ring's band: opaque along its middle circle, 70 % towards its edges. */
inline const juce::Colour ringCentre (0xff00f6fe);
inline const juce::Colour ringEdge (0xb200f6fe);
/** The veil over the background picture. */
inline const juce::Colour backgroundVeil (0x5e000000);
/** The About panel's card, through which the editor shows faintly. */
inline const juce::Colour aboutPanel (0xcc007887);

/** The captions on screen. A knob's caption is also its name, and a few names choose a
    behaviour: BALANCE its ring, MIX and BALANCE their double-click reset to the middle, and TIME
    its second knob and the time read-out. */
namespace Caption
{
inline constexpr const char* feed = "FEED";
inline constexpr const char* balance = "BALANCE";
inline constexpr const char* width = "WIDTH";
inline constexpr const char* drive = "DRIVE";
inline constexpr const char* bright = "BRIGHT";
inline constexpr const char* dark = "DARK";
inline constexpr const char* time = "TIME";
inline constexpr const char* mix = "MIX";
inline constexpr const char* bypass = "BYPASS";
inline constexpr const char* triplet = "TRIPLET";
inline constexpr const char* dotted = "DOTTED";
inline constexpr const char* tempo = "TEMPO";
inline constexpr const char* milliseconds = "MS";
} // namespace Caption

/** Pi as every angle of the editor is made with it: single precision. */
inline constexpr float pi = 3.1415927f;

/** Degrees to radians, the editor's way: degrees / 180 × pi, in single precision. */
constexpr float radians (float degrees) noexcept
{
    return degrees / 180.0f * pi;
}

/** Bounds for a child: a negative width or height counts as zero. */
inline juce::Rectangle<int> boundsOf (int x, int y, int width, int height)
{
    return { x, y, juce::jmax (0, width), juce::jmax (0, height) };
}
} // namespace EditorLook
