#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"
#include "support/KnobProbe.h"
#include "support/MessagePump.h"
#include "support/MouseGesture.h"
#include "support/RepaintRecorder.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace
{
using echovane::testing::centreOf;
using echovane::testing::findSmallKnob;
using echovane::testing::MouseGesture;
using echovane::testing::openEditor;
using echovane::testing::ProtocolRecorder;
using echovane::testing::pumpFor;
using echovane::testing::pumpUntil;

constexpr float pi = 3.1415927f;

// The ring sweeps whole degrees: 312 for the small knobs, 297 for BALANCE, 360 for the big ones.
constexpr float smallSweep = 312.0f / 180.0f * pi;
constexpr float balanceSweep = 297.0f / 180.0f * pi;
constexpr float bigSweep = 360.0f / 180.0f * pi;

float degrees (float radians)
{
    return radians * 180.0f / pi;
}

FloatParameter& parameterFor (OvelanAudioProcessor& processor, ParameterIndex::Float index)
{
    return *processor.floatParameters->at (index);
}

/** An editor with its six small knobs, and a way to reach each knob and its parameter. */
class SmallKnobs : public ::testing::Test
{
protected:
    OvelanAudioProcessor processor;
    echovane::host::OwnedEditor editor = openEditor (processor);

    KnobWrapper& knob (const char* caption)
    {
        auto* group = findSmallKnob (*editor, caption);

        if (group == nullptr)
            throw std::runtime_error (std::string ("no knob captioned ") + caption);

        return group->getCompass().getKnob();
    }

    juce::Point<int> centre (const char* caption) { return centreOf (*editor, knob (caption)); }

    /** Sets a value the way another control would: on the message thread, heard at once. */
    void setFromElsewhere (KnobWrapper& k, float value) { k.getParameter()->setValueNotifyingHost (value); }

    /** A single click (press and release) on the knob, with no movement. */
    void click (const char* caption) { MouseGesture (*editor, centre (caption)).release(); }
};

struct DragCase
{
    const char* name;
    const char* knob;
    float startValue;
    juce::Point<int> movement;
    float sweep;
    float expectedValue;
};

// Each pixel of upward movement adds 0.03 rad of the sweep; horizontal movement adds nothing.
const DragCase dragCases[] = {
    { "TenPixelsUpFromZero", "FEED", 0.0f, { 0, -10 }, smallSweep, 0.3f / smallSweep },
    { "TenPixelsDownFromTheMiddle", "DARK", 0.5f, { 0, 10 }, smallSweep, 0.5f - 0.3f / smallSweep },
    { "OverTravelUpStopsAtOne", "WIDTH", 0.9f, { 0, -400 }, smallSweep, 1.0f },
    { "OverTravelDownStopsAtZero", "BRIGHT", 0.2f, { 0, 400 }, smallSweep, 0.0f },
    { "HorizontalChangesNothing", "DRIVE", 0.4f, { 120, 0 }, smallSweep, 0.4f },
    { "BalanceTwentyUp", "BALANCE", 0.5f, { 0, -20 }, balanceSweep, 0.5f + 0.6f / balanceSweep },
    { "DiagonalCountsOnlyTheVertical", "FEED", 0.3f, { -30, -15 }, smallSweep, 0.3f + 0.45f / smallSweep },
};

class KnobDrag : public SmallKnobs
    , public ::testing::WithParamInterface<DragCase>
{
};

TEST_P (KnobDrag, WritesEveryStepInsideOneGestureAndTurnsRingAndCap)
{
    const auto& test = GetParam();
    auto& k = knob (test.knob);
    setFromElsewhere (k, test.startValue);

    const auto capBefore = k.getKnobButton().getCap().getAngle();
    const auto pixels = juce::jmax (std::abs (test.movement.x), std::abs (test.movement.y));

    ProtocolRecorder recorder (*k.getParameter());
    {
        MouseGesture gesture (*editor, centre (test.knob));
        ASSERT_EQ (gesture.getTarget(), &k.getUpperKnob()) << "the ring takes the mouse";
        EXPECT_TRUE (k.getUpperKnob().isDragging());
        gesture.dragBy (test.movement);
        EXPECT_TRUE (k.getUpperKnob().isDragging());
    }
    EXPECT_FALSE (k.getUpperKnob().isDragging());

    // Begin, the pressed value, one write per drag step, end; the release writes nothing.
    EXPECT_EQ (recorder.shape(), "B" + std::string (static_cast<size_t> (pixels) + 1, 'v') + "E");

    const auto values = recorder.values();
    ASSERT_FALSE (values.empty());
    EXPECT_NEAR (values.front(), test.startValue, 1.0e-5f) << "the press writes the value as it stands";
    EXPECT_NEAR (values.back(), test.expectedValue, 1.0e-4f);

    for (const auto value : values)
    {
        EXPECT_GE (value, 0.0f);
        EXPECT_LE (value, 1.0f);
    }

    // The parameter keeps its own 0.01 steps; the ring shows exactly what was written.
    EXPECT_NEAR (k.getParameter()->get(), std::round (values.back() * 100.0f) / 100.0f, 1.0e-6f);
    EXPECT_NEAR (k.getUpperKnob().getAngle() / test.sweep, values.back(), 1.0e-6f);

    // The cap turned by the same steps, clamped to its own half sweep either side of upright.
    const auto maxAngle = test.sweep == balanceSweep ? 148.5f / 180.0f * pi : 156.25f / 180.0f * pi;
    const auto expectedCap = juce::jlimit (-maxAngle, maxAngle, capBefore + (test.expectedValue - test.startValue) * test.sweep);

    if (test.movement.y == 0)
        EXPECT_EQ (k.getKnobButton().getCap().getAngle(), capBefore);
    else if (test.expectedValue > 0.0f && test.expectedValue < 1.0f)
        EXPECT_NEAR (k.getKnobButton().getCap().getAngle(), expectedCap, 1.0e-4f);
    else
        EXPECT_NEAR (std::abs (k.getKnobButton().getCap().getAngle()), maxAngle, 1.0e-5f);
}

INSTANTIATE_TEST_SUITE_P (Moves, KnobDrag, ::testing::ValuesIn (dragCases), [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

struct DoubleClickCase
{
    int gapMs;
    bool isDoubleClick;
};

class KnobDoubleClickTiming : public SmallKnobs
    , public ::testing::WithParamInterface<DoubleClickCase>
{
};

TEST_P (KnobDoubleClickTiming, CountsOnlyASecondPressInsideTheWindow)
{
    const auto& test = GetParam();
    auto& feed = knob ("FEED");
    setFromElsewhere (feed, 0.6f);

    click ("FEED");
    pumpFor (test.gapMs);

    ProtocolRecorder recorder (*feed.getParameter());
    click ("FEED");

    ASSERT_EQ (recorder.shape(), "BvE");
    EXPECT_NEAR (recorder.values().front(), test.isDoubleClick ? 0.0f : 0.6f, 1.0e-5f);
    EXPECT_NEAR (feed.getUpperKnob().getAngle(), test.isDoubleClick ? 0.0f : 0.6f * smallSweep, 1.0e-5f);
}

// Closer than one 30 ms tick restarts the window; later than ten ticks finds it closed.
INSTANTIATE_TEST_SUITE_P (Gaps, KnobDoubleClickTiming, ::testing::Values (DoubleClickCase{ 10, false }, DoubleClickCase{ 100, true }, DoubleClickCase{ 400, false }), [] (const auto& testCase)
                          { return std::to_string (testCase.param.gapMs) + "ms"; });

TEST_F (SmallKnobs, APressTooSoonOpensANewWindowInsteadOfResetting)
{
    auto& feed = knob ("FEED");
    setFromElsewhere (feed, 0.7f);

    // Two quick presses, then one inside the window of the second.
    click ("FEED");
    click ("FEED");
    pumpFor (100);

    ProtocolRecorder recorder (*feed.getParameter());
    click ("FEED");
    EXPECT_NEAR (recorder.values().front(), 0.0f, 1.0e-6f);

    // After a reset the next press opens a new window rather than resetting again.
    setFromElsewhere (feed, 0.7f);
    click ("FEED");
    EXPECT_NEAR (feed.getParameter()->get(), 0.7f, 1.0e-6f);
}

struct ResetCase
{
    const char* name;
    float resetValue;
};

class SmallKnobReset : public SmallKnobs
    , public ::testing::WithParamInterface<ResetCase>
{
};

TEST_P (SmallKnobReset, ADoubleClickSetsTheKnobsResetValue)
{
    const auto& test = GetParam();
    auto& k = knob (test.name);
    setFromElsewhere (k, 0.83f);

    ProtocolRecorder recorder (*k.getParameter());
    click (test.name);
    pumpFor (100);
    click (test.name);

    ASSERT_EQ (recorder.shape(), "BvEBvE");
    EXPECT_NEAR (recorder.values()[1], test.resetValue, 1.0e-6f);
    EXPECT_NEAR (k.getParameter()->get(), test.resetValue, 1.0e-6f);

    // The cap turned with the ring: upright for the middle, at its lower stop for zero (to
    // within the half degree by which the ring's whole-degree sweep falls short of the cap's).
    const auto cap = degrees (k.getKnobButton().getCap().getAngle());
    const auto maxDegrees = k.getKnobButton().getCap().getMaxDegrees();
    EXPECT_NEAR (cap, test.resetValue == 0.5f ? 0.0f : -maxDegrees, 0.5f);
}

INSTANTIATE_TEST_SUITE_P (Names, SmallKnobReset, ::testing::Values (ResetCase{ "FEED", 0.0f }, ResetCase{ "BALANCE", 0.5f }, ResetCase{ "WIDTH", 0.0f }, ResetCase{ "DRIVE", 0.0f }, ResetCase{ "BRIGHT", 0.0f }, ResetCase{ "DARK", 0.0f }), [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

/** A knob built on its own, as the big-knob cores build theirs. */
struct LoneKnob
{
    LoneKnob (const std::string& name, FloatParameter& parameter, bool small)
        : cap (juce::Drawable::createFromImageData (BinaryData::big_knob_cap_svg, BinaryData::big_knob_cap_svgSize))
        , knob (name, 0.0f, 100.0f, small ? 0.795f : 1.7f, cap.get(), true, small, small ? 0.77f : 0.9f, small ? 210.5f : 180.0f, small ? 312.5f : 360.0f, 0.0f, &parameter)
    {
        knob.setBounds (0, 0, 200, 200);
        knob.setVisible (true);
    }

    void doubleClick()
    {
        const auto middle = knob.getLocalBounds().getCentre();
        MouseGesture (knob, middle).release();
        pumpFor (100);
        MouseGesture (knob, middle).release();
    }

    std::unique_ptr<juce::Drawable> cap;
    KnobWrapper knob;
};

TEST (KnobReset, OnlyTheExactNamesMixAndBalanceResetToTheMiddle)
{
    struct Case
    {
        const char* name;
        bool small;
        float resetValue;
    };

    const Case cases[] = {
        { "MIX", false, 0.5f },
        { "TIME", false, 0.0f },
        { "BALANCE", true, 0.5f },
        { "Mix", false, 0.0f },
        { "BALANCE ", true, 0.0f },
        { "balance", true, 0.0f },
    };

    for (const auto& test : cases)
    {
        SCOPED_TRACE (test.name);
        OvelanAudioProcessor processor;
        auto& parameter = parameterFor (processor, ParameterIndex::mix);
        parameter.setValueNotifyingHost (0.9f);
        LoneKnob lone (test.name, parameter, test.small);

        lone.doubleClick();
        EXPECT_NEAR (parameter.get(), test.resetValue, 1.0e-6f);
    }
}

TEST (KnobAngles, FollowTheValueOnRingAndCap)
{
    struct Case
    {
        const char* name;
        bool small;
        float sweep, capMaxDegrees;
    };

    const Case cases[] = {
        { "FEED", true, smallSweep, 156.25f },
        { "BALANCE", true, smallSweep, 156.25f },
        { "MIX", false, bigSweep, 180.0f },
    };

    for (const auto& test : cases)
    {
        OvelanAudioProcessor processor;
        auto& parameter = parameterFor (processor, ParameterIndex::width);
        LoneKnob lone (test.name, parameter, test.small);

        for (const auto value : { 0.0f, 0.25f, 0.5f, 1.0f })
        {
            SCOPED_TRACE (std::string (test.name) + " at " + std::to_string (value));
            parameter.setValueNotifyingHost (value);

            EXPECT_NEAR (lone.knob.getUpperKnob().getAngle(), value * test.sweep, 1.0e-5f);
            EXPECT_NEAR (degrees (lone.knob.getKnobButton().getCap().getAngle()), (2.0f * value - 1.0f) * test.capMaxDegrees, 1.0e-3f);
        }
    }
}

TEST (KnobAngles, AKnobBuiltAtAValueStartsThere)
{
    OvelanAudioProcessor processor;
    auto& parameter = parameterFor (processor, ParameterIndex::drive);
    parameter.setValueNotifyingHost (0.75f);
    LoneKnob lone ("DRIVE", parameter, true);

    EXPECT_NEAR (lone.knob.getUpperKnob().getAngle(), 0.75f * smallSweep, 1.0e-5f);
    EXPECT_NEAR (degrees (lone.knob.getKnobButton().getCap().getAngle()), 0.5f * 156.25f, 1.0e-3f);
}

CONCURRENCY_TEST_F (SmallKnobs, AChangeWhileDraggingIsIgnoredAndTheNextIsTaken)
{
    auto& width = knob ("WIDTH");
    setFromElsewhere (width, 0.2f);

    {
        MouseGesture gesture (*editor, centre ("WIDTH"));
        gesture.dragBy ({ 0, -20 });
        const auto ringDuringDrag = width.getUpperKnob().getAngle();
        const auto capDuringDrag = width.getKnobButton().getCap().getAngle();

        // Automation fighting the drag, on the message thread and from another thread.
        setFromElsewhere (width, 0.9f);
        std::thread ([&width]
                     {
                         asHostParameter (width.getParameter()).setValue (0.95f);
                         width.getParameter()->sendValueChangedMessageToListeners (0.95f); })
            .join();
        ParameterFollower::deliverAllPending();

        EXPECT_EQ (width.getUpperKnob().getAngle(), ringDuringDrag);
        EXPECT_EQ (width.getKnobButton().getCap().getAngle(), capDuringDrag);

        // The drag carries on from where the ring is, not from the automated value.
        gesture.dragBy ({ 0, -10 });
        EXPECT_NEAR (width.getUpperKnob().getAngle(), ringDuringDrag + 0.3f, 1.0e-5f);
    }

    setFromElsewhere (width, 0.3f);
    EXPECT_NEAR (width.getUpperKnob().getAngle(), 0.3f * smallSweep, 1.0e-5f);
    EXPECT_NEAR (degrees (width.getKnobButton().getCap().getAngle()), -0.4f * 156.25f, 1.0e-3f);
}

CONCURRENCY_TEST_F (SmallKnobs, AutomationFromAnotherThreadMovesRingAndCapOnTheMessageThread)
{
    auto& dark = knob ("DARK");
    auto* parameter = dark.getParameter();
    const auto ringBefore = dark.getUpperKnob().getAngle();

    std::thread host ([parameter]
                      {
                          for (int i = 0; i <= 100; ++i)
                          {
                              const auto value = 0.73f * static_cast<float> (i) / 100.0f;
                              asHostParameter (parameter).setValue (value);
                              parameter->sendValueChangedMessageToListeners (value);
                          } });
    host.join();

    // Nothing of the knob was touched on the host's thread.
    EXPECT_EQ (dark.getUpperKnob().getAngle(), ringBefore);

    ASSERT_TRUE (pumpUntil ([&dark]
                            { return std::abs (dark.getUpperKnob().getAngle() - 0.73f * smallSweep) < 1.0e-5f; }));
    EXPECT_NEAR (degrees (dark.getKnobButton().getCap().getAngle()), (2.0f * 0.73f - 1.0f) * 156.25f, 1.0e-3f);
}

CONCURRENCY_TEST_F (SmallKnobs, AnyValueAHostSendsLeavesRingAndCapInRange)
{
    auto& feed = knob ("FEED");
    const float values[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), -3.0f, 7.5f, 1.0e30f, -0.0f, 1.0f };

    for (const auto value : values)
    {
        SCOPED_TRACE (value);

        // On the message thread and from another thread alike.
        feed.getParameter()->sendValueChangedMessageToListeners (value);
        std::thread ([&feed, value]
                     { feed.getParameter()->sendValueChangedMessageToListeners (value); })
            .join();
        ParameterFollower::deliverAllPending();

        const auto ring = feed.getUpperKnob().getAngle();
        const auto cap = feed.getKnobButton().getCap().getAngle();
        EXPECT_TRUE (std::isfinite (ring));
        EXPECT_TRUE (std::isfinite (cap));
        EXPECT_GE (ring, 0.0f);
        EXPECT_LE (ring, smallSweep);
        EXPECT_LE (std::abs (degrees (cap)), 156.25f + 1.0e-3f);
        EXPECT_TRUE (editor->createComponentSnapshot (editor->getLocalBounds()).isValid());
    }

    // Out of range shows as the nearest end; no number leaves the knob where it was.
    feed.getParameter()->sendValueChangedMessageToListeners (7.5f);
    EXPECT_NEAR (feed.getUpperKnob().getAngle(), smallSweep, 1.0e-6f);
    feed.getParameter()->sendValueChangedMessageToListeners (std::numeric_limits<float>::quiet_NaN());
    EXPECT_NEAR (feed.getUpperKnob().getAngle(), smallSweep, 1.0e-6f);
}

// A host's infinity leaves the parameter at its nearer end (JUCE clamps it there); ring and cap
// must stand there too, whichever thread the value came on.
struct InfinityCase
{
    const char* name;
    float sent;
    float end;
    bool fromAnotherThread;
};

const InfinityCase infinityCases[] = {
    { "PlusOnTheMessageThread", std::numeric_limits<float>::infinity(), 1.0f, false },
    { "MinusOnTheMessageThread", -std::numeric_limits<float>::infinity(), 0.0f, false },
    { "PlusFromAnotherThread", std::numeric_limits<float>::infinity(), 1.0f, true },
    { "MinusFromAnotherThread", -std::numeric_limits<float>::infinity(), 0.0f, true },
};

void PrintTo (const InfinityCase& test, std::ostream* out) { *out << test.name; }

class KnobInfinity : public SmallKnobs
    , public ::testing::WithParamInterface<InfinityCase>
{
};

CONCURRENCY_TEST_P (KnobInfinity, ShowsTheEndTheParameterHolds)
{
    const auto& test = GetParam();
    auto& feed = knob ("FEED");
    setFromElsewhere (feed, 0.5f);
    auto* parameter = feed.getParameter();

    const auto hostSends = [parameter, value = test.sent]
    {
        asHostParameter (parameter).setValue (value);
        parameter->sendValueChangedMessageToListeners (value);
    };

    if (test.fromAnotherThread)
        std::thread (hostSends).join();
    else
        hostSends();

    ParameterFollower::deliverAllPending();

    EXPECT_EQ (parameter->get(), test.end);
    EXPECT_NEAR (feed.getUpperKnob().getAngle(), test.end * smallSweep, 1.0e-6f);
    EXPECT_NEAR (degrees (feed.getKnobButton().getCap().getAngle()), (2.0f * test.end - 1.0f) * 156.25f, 1.0e-3f);
}

INSTANTIATE_TEST_SUITE_P (Ends, KnobInfinity, ::testing::ValuesIn (infinityCases), [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

TEST (KnobLifetime, AnEditorOpenedAfterAHostWroteNonsenseStartsInRange)
{
    for (const auto value : { std::numeric_limits<float>::quiet_NaN(), -5.0f, 5.0f, std::numeric_limits<float>::infinity() })
    {
        SCOPED_TRACE (value);
        OvelanAudioProcessor processor;
        asHostParameter (processor.floatParameters->at (ParameterIndex::drive)).setValue (value);

        auto editor = openEditor (processor);
        auto& drive = findSmallKnob (*editor, "DRIVE")->getCompass().getKnob();
        const auto ring = drive.getUpperKnob().getAngle();
        const auto cap = drive.getKnobButton().getCap().getAngle();

        EXPECT_TRUE (ring >= 0.0f && ring <= smallSweep) << ring;
        EXPECT_TRUE (std::abs (degrees (cap)) <= 156.25f + 1.0e-3f) << cap;
        EXPECT_TRUE (editor->createComponentSnapshot (editor->getLocalBounds()).isValid());
    }
}

TEST_F (SmallKnobs, ResizingKeepsTheCapsAngleAndItsCentre)
{
    auto& bright = knob ("BRIGHT");
    setFromElsewhere (bright, 0.8f);
    const auto angle = bright.getKnobButton().getCap().getAngle();

    for (const auto& size : { juce::Point<int> (1500, 720), juce::Point<int> (800, 384), juce::Point<int> (1234, 999) })
    {
        SCOPED_TRACE (size.toString());
        editor->setSize (size.x, size.y);

        auto& holder = bright.getKnobButton();
        auto& cap = holder.getCap();
        EXPECT_EQ (cap.getAngle(), angle);
        EXPECT_EQ (cap.getBounds(), holder.getLocalBounds());

        // The turn is about the holder's middle: the middle stays where it is.
        const auto middle = holder.getLocalBounds().toFloat().getCentre();
        const auto turned = middle.transformedBy (cap.getTransform());
        EXPECT_NEAR (turned.x, static_cast<float> (holder.getHeight()) * 0.5f, 1.0e-3f);
        EXPECT_NEAR (turned.y, static_cast<float> (holder.getWidth()) * 0.5f, 1.0e-3f);
        EXPECT_FALSE (cap.getTransform().isIdentity());
    }
}

TEST (KnobLifetime, AChangeBeforeTheFirstLayoutIsAppliedAboutTheCentreLater)
{
    OvelanAudioProcessor processor;
    auto& parameter = parameterFor (processor, ParameterIndex::feedback);
    auto cap = juce::Drawable::createFromImageData (BinaryData::small_knob_cap_svg, BinaryData::small_knob_cap_svgSize);
    KnobWrapper knob ("FEED", 0.0f, 100.0f, 0.795f, cap.get(), true, true, 0.77f, 210.5f, 312.5f, 0.0f, &parameter);

    parameter.setValueNotifyingHost (1.0f);
    EXPECT_NEAR (degrees (knob.getKnobButton().getCap().getAngle()), 156.25f, 1.0e-3f);

    knob.setBounds (0, 0, 120, 120);
    const auto& transform = knob.getKnobButton().getCap().getTransform();
    const auto middle = juce::Point<float> (30.0f, 30.0f).transformedBy (transform);
    EXPECT_NEAR (middle.x, 30.0f, 1.0e-3f);
    EXPECT_NEAR (middle.y, 30.0f, 1.0e-3f);
    EXPECT_EQ (knob.getKnobButton().getBounds(), juce::Rectangle<int> (30, 30, 60, 60));
    EXPECT_EQ (knob.getUpperKnob().getBounds(), juce::Rectangle<int> (0, 0, 120, 120));
}

TEST (KnobLifetime, ClosingTheEditorMidDragEndsTheGesture)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    auto& drive = findSmallKnob (*editor, "DRIVE")->getCompass().getKnob();
    ProtocolRecorder recorder (*drive.getParameter());

    drive.getUpperKnob().mouseDown (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { 40.0f, 40.0f }, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &drive.getUpperKnob(), &drive.getUpperKnob(), juce::Time::getCurrentTime(), { 40.0f, 40.0f }, juce::Time::getCurrentTime(), 1, false));
    editor.reset();

    // The host is not left inside a gesture that no mouse-up will ever end.
    EXPECT_EQ (recorder.shape(), "BvE");
}

CONCURRENCY_TEST (Stress, KnobsFollowAutomationFromAnotherThreadWhileEditorsOpenAndClose)
{
    OvelanAudioProcessor processor;
    std::atomic<bool> running{ true };
    std::atomic<int> writes{ 0 };

    // The host's audio thread, automating every small knob's parameter as fast as it can.
    std::thread host ([&]
                      {
                          juce::Random random (42);

                          while (running.load())
                          {
                              for (const auto index : { ParameterIndex::feedback, ParameterIndex::balance, ParameterIndex::width, ParameterIndex::drive, ParameterIndex::bright, ParameterIndex::dark })
                              {
                                  auto* parameter = processor.floatParameters->at (index);
                                  const auto value = random.nextFloat();
                                  asHostParameter (parameter).setValue (value);
                                  parameter->sendValueChangedMessageToListeners (value);
                              }

                              writes.fetch_add (1);
                          } });

    for (int opening = 0; opening < 25; ++opening)
    {
        auto editor = openEditor (processor);
        const auto target = writes.load() + 20;
        pumpUntil ([&]
                   { return writes.load() >= target; });
        pumpFor (opening % 3 == 0 ? 20 : 1);
        EXPECT_TRUE (editor->createComponentSnapshot ({ 0, 0, 200, 200 }).isValid());
    }

    running.store (false);
    host.join();

    // Once every editor is gone nothing of theirs listens any more: a write reaches no knob (an
    // address checker would see one that stayed registered).
    EXPECT_EQ (processor.getActiveEditor(), nullptr);
    processor.floatParameters->at (ParameterIndex::feedback)->setValueNotifyingHost (0.5f);
    ParameterFollower::deliverAllPending();
}
struct RowStep
{
    int editorWidth, editorHeight, rowTop, side;
    juce::Point<int> positions[6]; // FEED, BALANCE, WIDTH, DRIVE, BRIGHT, DARK, in the row
};

// The control row's own table at its three step sizes; the row starts below the top bar.
const RowStep rowSteps[] = {
    { 1000, 480, 50, 130, { { 284, 38 }, { 434, 38 }, { 583, 38 }, { 284, 202 }, { 434, 202 }, { 583, 202 } } },
    { 800, 384, 40, 104, { { 227, 31 }, { 347, 31 }, { 466, 31 }, { 227, 161 }, { 347, 161 }, { 466, 161 } } },
    { 1500, 720, 75, 195, { { 426, 58 }, { 651, 58 }, { 875, 58 }, { 426, 303 }, { 651, 303 }, { 875, 303 } } },
};

class SmallKnobPlaces : public ::testing::TestWithParam<RowStep>
{
};

TEST_P (SmallKnobPlaces, StandWhereTheControlRowPutsThem)
{
    const auto& step = GetParam();
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    editor->setSize (step.editorWidth, step.editorHeight);

    const char* captions[] = { "FEED", "BALANCE", "WIDTH", "DRIVE", "BRIGHT", "DARK" };

    for (size_t i = 0; i < 6; ++i)
    {
        SCOPED_TRACE (captions[i]);
        auto* group = findSmallKnob (*editor, captions[i]);
        ASSERT_NE (group, nullptr);
        const auto inEditor = editor->getLocalArea (group->getParentComponent(), group->getBounds());
        EXPECT_EQ (inEditor, juce::Rectangle<int> (step.positions[i].x, step.positions[i].y + step.rowTop, step.side, step.side));
        EXPECT_TRUE (group->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P (Steps, SmallKnobPlaces, ::testing::ValuesIn (rowSteps), [] (const auto& testCase)
                          { return std::to_string (testCase.param.editorWidth) + "x" + std::to_string (testCase.param.editorHeight); });

TEST (SmallKnobGroup, CaptionOnTopKnobSquareBelowItCentredAcross)
{
    OvelanAudioProcessor processor;
    BasicButtonWrapper group (true, "WIDTH", processor.floatParameters->at (ParameterIndex::width));

    struct Case
    {
        int width, height;
        juce::Rectangle<int> caption, compass;
    };

    // A group narrower than 0.75 of its height lets the knob square overhang both sides.
    const Case cases[] = {
        { 130, 130, { 0, 0, 130, 19 }, { 16, 28, 97, 97 } },
        { 195, 195, { 0, 0, 195, 29 }, { 24, 42, 146, 146 } },
        { 50, 130, { 0, 0, 50, 19 }, { -23, 28, 97, 97 } },
        { 0, 0, { 0, 0, 0, 0 }, { 0, 0, 0, 0 } },
    };

    for (const auto& test : cases)
    {
        SCOPED_TRACE (std::to_string (test.width) + "x" + std::to_string (test.height));
        group.setSize (test.width, test.height);
        EXPECT_EQ (group.getCaption().getBounds(), test.caption);
        EXPECT_EQ (group.getCompass().getBounds(), test.compass);
        EXPECT_EQ (group.getCompass().getKnob().getBounds(), test.compass.withZeroOrigin());

        // The caption's text is as tall as its row, in the caption colour, centred.
        const auto& label = group.getCaption().getLabel();
        if (! test.caption.isEmpty())
        {
            EXPECT_EQ (label.getFont().getHeight(), static_cast<float> (test.caption.getHeight()));
        }
        EXPECT_EQ (label.getBounds(), test.caption.withZeroOrigin());
        EXPECT_EQ (label.findColour (juce::Label::textColourId), juce::Colour (0xff007d8f));
        EXPECT_EQ (label.getJustificationType(), juce::Justification::centred);
        EXPECT_FALSE (label.isEditableOnSingleClick() || label.isEditableOnDoubleClick());
    }

    // The knob sits on the group's compass, the caption above it in the child order.
    ASSERT_EQ (group.getNumChildComponents(), 2);
    EXPECT_EQ (group.getChildComponent (0), &group.getCompass());
    EXPECT_EQ (group.getChildComponent (1), &group.getCaption());
}

TEST (SmallKnobGroup, DrawsItsBackdropOverNinetyPercentOfTheSquareBehindTheKnob)
{
    OvelanAudioProcessor processor;

    for (const auto blue : { true, false })
    {
        SCOPED_TRACE (blue ? "blue" : "green");
        BasicButtonWrapper group (blue, "DRIVE", processor.floatParameters->at (ParameterIndex::drive));
        group.setSize (200, 200);
        auto& compass = group.getCompass();
        ASSERT_EQ (compass.getBounds(), juce::Rectangle<int> (25, 44, 150, 150));

        // The backdrop alone: the knob over it hidden.
        compass.getKnob().setVisible (false);
        const auto shown = compass.createComponentSnapshot (compass.getLocalBounds());

        juce::Image expected (juce::Image::ARGB, 150, 150, true);
        {
            juce::Graphics g (expected);
            const auto backdrop = blue ? juce::Drawable::createFromImageData (BinaryData::small_knob_ring_svg, BinaryData::small_knob_ring_svgSize)
                                       : juce::Drawable::createFromImageData (BinaryData::small_knob_ring_green_svg, BinaryData::small_knob_ring_green_svgSize);
            backdrop->drawWithin (g, { 0.052f * 150.0f, 0.022f * 150.0f, 0.9f * 150.0f, 0.9f * 150.0f }, juce::RectanglePlacement::stretchToFit, 1.0f);
        }

        int drawn = 0;

        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 150; ++x)
            {
                const auto a = shown.getPixelAt (x, y);
                const auto b = expected.getPixelAt (x, y);
                ASSERT_LE (std::abs (a.getAlpha() - b.getAlpha()), 1) << x << "," << y;
                drawn += a.getAlpha() > 0 ? 1 : 0;
            }

        EXPECT_GT (drawn, 1000) << "the backdrop shows";

        // With the knob shown, the ring and cap lie over the backdrop.
        compass.getKnob().setVisible (true);
        EXPECT_NE (compass.createComponentSnapshot (compass.getLocalBounds()).getPixelAt (75, 75), shown.getPixelAt (75, 75));
    }
}

TEST (SmallKnobGroup, OnlyTheExactNameBalanceGetsTheCentredRing)
{
    OvelanAudioProcessor processor;
    auto* parameter = processor.floatParameters->at (ParameterIndex::balance);

    for (const auto* name : { "BALANCE", "Balance", "BALANCE ", "FEED" })
    {
        SCOPED_TRACE (name);
        BasicButtonWrapper group (true, name, parameter);
        auto& knob = group.getCompass().getKnob();
        const auto balance = std::string (name) == "BALANCE";

        EXPECT_NEAR (degrees (knob.getUpperKnob().getStart()), balance ? 218.0f : 210.0f, 1.0e-3f);
        EXPECT_NEAR (degrees (knob.getUpperKnob().getSweep()), balance ? 297.0f : 312.0f, 1.0e-3f);
        EXPECT_EQ (knob.getKnobButton().getCap().getMaxDegrees(), balance ? 148.5f : 156.25f);
    }
}

TEST_F (SmallKnobs, ADragStepRepaintsOnlyTheKnobThatMoved)
{
    auto& feed = knob ("FEED");
    const auto knobInEditor = editor->getLocalArea (&feed, feed.getLocalBounds());
    auto& recorder = echovane::testing::RepaintRecorder::attachTo (*editor);

    MouseGesture gesture (*editor, centre ("FEED"));

    for (int step = 0; step < 5; ++step)
    {
        recorder.clear();
        gesture.dragBy ({ 0, -1 });

        ASSERT_FALSE (recorder.areas.empty()) << "the ring must show the new value";
        EXPECT_TRUE (knobInEditor.contains (recorder.unionOfAreas())) << recorder.unionOfAreas().toString() << " outside " << knobInEditor.toString();
    }
}
} // namespace
