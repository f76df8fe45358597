#include "UpperKnob.h"

#include "../engine/ParameterEdit.h"
#include "EditorLook.h"
#include "KnobWrapper.h"

#include <cmath>

namespace
{
using EditorLook::pi;

float radiansFromWholeDegrees (float degrees) noexcept
{
    // The ring works in whole degrees: 312.5 becomes 312.
    return EditorLook::radians (static_cast<float> (static_cast<int> (degrees)));
}

/** The point at `angle` (clockwise from 12 o'clock) on a circle. */
juce::Point<float> pointOnCircle (float cx, float cy, float radius, float angle) noexcept
{
    return { cx + radius * std::sin (angle), cy - radius * std::cos (angle) };
}

/** Fills one piece of the ring with the dark underlay and adds it to the union that the
    gradient fills last. */
void underlay (juce::Graphics& g, const juce::Path& piece, juce::Path& unionOfPieces)
{
    g.fillPath (piece);
    unionOfPieces.addPath (piece);
}

/** The rounded outer end of a band whose outer edge ends at `edge`: a half disc whose flat side
    faces back along the band, turning from `from` through half a turn in `direction`. */
juce::Path endCap (juce::Point<float> edge, float thickness, float from, float direction)
{
    const auto halfThickness = thickness / 2.0f;
    const auto theta = from + direction * pi;
    const juce::Point<float> f (edge.x + halfThickness + halfThickness * std::sin (theta),
                                edge.y + halfThickness - halfThickness * std::cos (theta));
    const auto r = std::round (thickness) / 2.0f;

    juce::Path cap;
    cap.addCentredArc (f.x - thickness + r, f.y - thickness + r, r, r, 0.0f, from, theta, true);
    cap.closeSubPath();
    return cap;
}
} // namespace

UpperKnob::UpperKnob (std::string nameToUse,
                      bool showArcToUse,
                      bool showEndDotToUse,
                      float startDegrees,
                      float sweepDegrees,
                      float radiusFactorToUse,
                      float thicknessFactorToUse,
                      float value,
                      MiddleRotatableComponent* capToTurn,
                      KnobWrapper* ownerToUse,
                      MetaParameter<juce::AudioParameterFloat>* parameterToUse)
    : showArc (showArcToUse)
    , showEndDot (showEndDotToUse)
    , sweep (radiansFromWholeDegrees (sweepDegrees))
    , start (radiansFromWholeDegrees (startDegrees))
    , radiusFactor (radiusFactorToUse)
    , thicknessFactor (thicknessFactorToUse)
    , cap (capToTurn)
    , owner (ownerToUse)
    , parameter (parameterToUse)
    , name (std::move (nameToUse))
{
    angle = sweep * value;
}

UpperKnob::~UpperKnob()
{
    // Closing the window in the middle of a drag must not leave the host inside a gesture.
    if (dragging)
        ParameterEdit::endGesture (*parameter);
}

void UpperKnob::setAngle (float newAngle)
{
    angle = juce::jlimit (0.0f, sweep, newAngle);
    repaint();
}

float UpperKnob::resetAngle() const
{
    return (name == EditorLook::Caption::mix || name == EditorLook::Caption::balance) ? sweep * 0.5f : 0.0f;
}

void UpperKnob::writeValue()
{
    ParameterEdit::writeAndNotify (*parameter, (100.0f / sweep * angle) / 100.0f);
}

void UpperKnob::mouseDown (const juce::MouseEvent& e)
{
    ParameterEdit::beginGesture (*parameter);
    lastMousePosition = e.getPosition();
    dragging = true;

    // The window is measured on the clock rather than by counting timer callbacks: JUCE's timer
    // thread may deliver a new timer's first callback early, which would make two presses a few
    // milliseconds apart a double-click.
    const auto now = juce::Time::getMillisecondCounterHiRes();
    const auto ticks = windowOpenedAt < 0.0 ? 0 : static_cast<int> ((now - windowOpenedAt) / doubleClickTickMs);

    if (ticks <= 0 || ticks >= doubleClickTicks)
    {
        // A first press opens the window; so does a press before its first tick or after it has
        // closed.
        windowOpenedAt = now;
    }
    else
    {
        const auto newAngle = resetAngle();
        cap->rotate (newAngle - angle);
        angle = newAngle;

        // After a reset the next press opens a new window.
        windowOpenedAt = -1.0;
    }

    writeValue();
    repaint();
}

void UpperKnob::mouseDrag (const juce::MouseEvent& e)
{
    const auto ey = static_cast<float> (e.y);
    const auto ly = static_cast<float> (lastMousePosition.y);

    // Only vertical movement counts, upwards increasing.
    if (ly > ey)
    {
        const auto d = std::abs (ey - ly) * dragStep;
        angle += d;
        cap->rotate (d);
    }
    else if (ey > ly)
    {
        const auto d = -dragStep * std::abs (ey - ly);
        angle += d;
        cap->rotate (d);
    }

    if (0.0f > angle)
        angle = 0.0f;
    else if (angle > sweep)
        angle = sweep;

    lastMousePosition = e.getPosition();
    writeValue();
    repaint();
}

void UpperKnob::mouseUp (const juce::MouseEvent&)
{
    ParameterEdit::endGesture (*parameter);
    dragging = false;
}

void UpperKnob::resized()
{
    // Every paint works from the current size.
}

void UpperKnob::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto h = getHeight();

    if (w <= 0 || h <= 0)
        return;

    // The rounded ends are placed from the band's edge points and may overhang a tiny knob.
    g.reduceClipRegion (getLocalBounds());

    const auto width = static_cast<float> (w);
    const auto height = static_cast<float> (h);
    const auto s = static_cast<float> (juce::jmin (w, h));

    const auto thickness = 40.0f / (thicknessFactor * 665.0f) * s;
    const auto outer = s / (radiusFactor * 2.67f);
    const auto cx = width * 0.5f;
    const auto cy = height * 0.5f;

    // Opaque along the band's middle circle, 70 % from a third of the stroke out to either side.
    juce::ColourGradient gradient (EditorLook::ringCentre, cx, cy, EditorLook::ringEdge, width, height, true);
    const auto dist = std::sqrt ((width / 2.0f) * (width / 2.0f) + (height / 2.0f) * (height / 2.0f));
    const auto middle = outer / dist - (thickness / 2.0f) / dist;
    const auto spread = (static_cast<double> (thickness / 2.0f) / static_cast<double> (dist)) / 1.5;
    gradient.addColour (static_cast<double> (middle) + spread, EditorLook::ringEdge);
    gradient.addColour (static_cast<double> (middle) - spread, EditorLook::ringEdge);
    gradient.addColour (static_cast<double> (middle), EditorLook::ringCentre);

    // Each piece first gets a dark underlay, so the glow reads against any backdrop.
    g.setColour (juce::Colours::black);

    if (name == EditorLook::Caption::balance)
        paintBalance (g, cx, cy, outer, thickness, gradient);
    else if (showArc)
        paintOrdinary (g, cx, cy, outer, thickness, gradient);
}

void UpperKnob::paintOrdinary (juce::Graphics& g, float cx, float cy, float outer, float thickness, const juce::ColourGradient& gradient)
{
    const auto inner = outer - thickness;
    const auto a = angle;

    // The start edge: its outer point just past the start, its inner point at it.
    juce::Point<float> p, q;

    if (outer > 0.0f)
    {
        p = pointOnCircle (cx, cy, outer, start + 0.001f);
        q = inner > 0.0f ? pointOnCircle (cx, cy, inner, start) : p;
    }

    juce::Path pieces;

    if (! showEndDot)
    {
        juce::Path band;
        band.addCentredArc (cx, cy, outer, outer, start, 0.0f, a, true);
        band.addCentredArc (cx, cy, inner, inner, start, a, 0.0f, false);
        band.closeSubPath();
        underlay (g, band, pieces);
    }
    else
    {
        const auto dx = (q.x - p.x) / 2.0f - thickness / 2.0f;
        const auto dy = (p.y - q.y) / 2.0f - thickness / 2.0f;

        if (a > 0.2f)
        {
            juce::Path band;
            band.addCentredArc (cx, cy, outer, outer, start, 0.0f, a - 0.2f, true);
            const auto bandEnd = pointOnCircle (cx, cy, outer, start + (a - 0.2f));
            band.addCentredArc (cx, cy, inner, inner, start, a - 0.2f, 0.0f, false);
            band.closeSubPath();

            underlay (g, endCap (bandEnd, thickness, start + a, 1.0f), pieces);

            const auto r2 = (thickness - 0.5f) / 2.0f;
            juce::Path startCap;
            startCap.addCentredArc (p.x - std::abs (dx) + r2, q.y - std::abs (dy) + r2, r2, r2, 0.0f, start - pi, start, true);

            underlay (g, band, pieces);

            startCap.closeSubPath();
            underlay (g, startCap, pieces);
        }
        else
        {
            // Near zero the band gives way to a dot that grows from nothing at the start.
            const auto d = 5.0f * a * thickness;
            const auto k = static_cast<float> ((1.0 + (0.2 - static_cast<double> (a)) * -0.7) * static_cast<double> (thickness));
            const auto centreX = p.x - std::abs (dx) - d + k - 0.5f + d / 2.0f;
            const auto centreY = q.y - std::abs (dy) - d + k - 0.5f + d / 2.0f;

            juce::Path dot;
            dot.addCentredArc (centreX, centreY, d / 2.0f, d / 2.0f, 0.0f, 0.0f, 6.28318548f, true);
            dot.closeSubPath();
            underlay (g, dot, pieces);
        }
    }

    g.setGradientFill (gradient);
    g.fillPath (pieces);
}

void UpperKnob::paintBalance (juce::Graphics& g, float cx, float cy, float outer, float thickness, const juce::ColourGradient& gradient)
{
    const auto inner = outer - thickness;
    const auto a = angle;
    const auto half = sweep * 0.5f;
    const auto centreAngle = start + 0.48f * sweep;
    const auto offset = a - half;

    // Around the middle the ring stays dark: from sweep / 2.1 to sweep / 1.9.
    const auto turnedRight = a > half;
    const auto turnedLeft = a < half;

    if (! ((turnedRight && a > sweep / 1.9f) || (turnedLeft && a < sweep / 2.1f)))
        return;

    const auto direction = turnedRight ? 1.0f : -1.0f;
    const auto edge = pointOnCircle (cx, cy, outer, centreAngle + offset);
    const auto bandRotation = static_cast<float> (static_cast<double> (centreAngle) + direction * 0.01);

    juce::Path band;
    band.addCentredArc (cx, cy, outer, outer, bandRotation, 0.0f, offset, true);
    band.addCentredArc (cx, cy, inner, inner, bandRotation, offset, 0.0f, false);
    band.closeSubPath();

    juce::Path pieces;
    underlay (g, endCap (edge, thickness, centreAngle + offset, direction), pieces);
    underlay (g, band, pieces);

    g.setGradientFill (gradient);
    g.fillPath (pieces);
}
