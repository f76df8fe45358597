#include "editor/BasicButtonWrapper.h"
#include "editor/PluginEditor.h"
#include "editor/UpperKnob.h"
#include "tests/support/KnobProbe.h"
#include "tests/support/RepaintRecorder.h"
#include "tools/host/OwnedEditor.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
using echovane::testing::RepaintRecorder;

/** An editor at a size, painted the way a window's full repaint paints it: the whole tree with
    JUCE's software renderer into an image of the editor's size. */
struct PaintedEditor
{
    explicit PaintedEditor (int width, int height)
    {
        editor.reset (processor.createEditorIfNeeded());
        editor->setVisible (true);
        editor->setSize (width, height);
        frame = juce::Image (juce::Image::ARGB, width, height, true);
    }

    void paint (juce::Rectangle<int> area)
    {
        juce::Graphics g (frame);
        g.reduceClipRegion (area);
        editor->paintEntireComponent (g, true);
    }

    OvelanAudioProcessor processor;
    echovane::host::OwnedEditor editor;
    juce::Image frame;
};

void editorFullFrame (benchmark::State& state)
{
    const auto percent = static_cast<int> (state.range (0));
    PaintedEditor painted (1000 * percent / 100, 480 * percent / 100);

    for (auto _ : state)
    {
        painted.paint (painted.editor->getLocalBounds());
        benchmark::ClobberMemory();
    }

    state.counters["pixels"] = static_cast<double> (painted.editor->getWidth() * painted.editor->getHeight());
}

// The first frame at a new size (a host resizing the window) resamples the background again.
void editorFrameAfterResize (benchmark::State& state)
{
    PaintedEditor painted (1500, 720);
    bool wide = false;

    for (auto _ : state)
    {
        wide = ! wide;
        painted.editor->setSize (wide ? 1501 : 1500, 720);
        painted.paint (painted.editor->getLocalBounds());
        benchmark::ClobberMemory();
    }
}

/** One drag step of the FEED knob by one pixel, then the repaint it asks for: only the areas
    the step invalidated are painted, as a window would. */
void knobDragStep (benchmark::State& state)
{
    const auto percent = static_cast<int> (state.range (0));
    PaintedEditor painted (1000 * percent / 100, 480 * percent / 100);
    auto& knob = echovane::testing::findSmallKnob (*painted.editor, "FEED")->getCompass().getKnob();
    auto& ring = knob.getUpperKnob();
    auto& recorder = RepaintRecorder::attachTo (*painted.editor);

    const auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto middle = ring.getLocalBounds().getCentre().toFloat();
    const auto now = juce::Time::getCurrentTime();
    const auto eventAt = [&] (juce::Point<float> position)
    {
        return juce::MouseEvent (source, position, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &ring, &ring, now, middle, now, 1, true);
    };

    ring.mouseDown (eventAt (middle));
    painted.paint (painted.editor->getLocalBounds());
    bool up = false;
    double repainted = 0.0;

    for (auto _ : state)
    {
        recorder.clear();
        up = ! up;
        ring.mouseDrag (eventAt (middle.translated (0.0f, up ? -1.0f : 0.0f)));

        const auto area = recorder.unionOfAreas();
        painted.paint (area);
        repainted = static_cast<double> (area.getWidth() * area.getHeight());
        benchmark::ClobberMemory();
    }

    ring.mouseUp (eventAt (middle));

    const auto whole = static_cast<double> (painted.editor->getWidth() * painted.editor->getHeight());
    state.counters["repaintedPixels"] = repainted;
    state.counters["ofEditor"] = repainted / whole;
}
} // namespace

BENCHMARK (editorFullFrame)->Arg (100)->Arg (150)->Unit (benchmark::kMillisecond);
BENCHMARK (editorFrameAfterResize)->Unit (benchmark::kMillisecond);
BENCHMARK (knobDragStep)->Arg (100)->Arg (150)->Unit (benchmark::kMicrosecond);
