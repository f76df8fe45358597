#include "info/PopuppWindowComponent.h"
#include "info/UpdateContainer.h"
#include "info/WebAddresses.h"
#include "support/BrowserLaunchRecorder.h"
#include "support/EditorProbe.h"
#include "support/PointerDriver.h"
#include "support/ThreadCensus.h"
#include "support/UpdateChecks.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::BrowserLaunchRecorder;
using echovane::testing::findChild;
using echovane::testing::openEditor;
using echovane::testing::PointerDriver;

using Bounds = juce::Rectangle<int>;

/** An open editor with a pointer over it and a stand-in browser. */
struct MenuFixture
{
    MenuFixture()
    {
        editor = openEditor (processor);
        hotspot = findChild<PopuppWindowComponent> (*editor);
        pointer = std::make_unique<PointerDriver> (*editor);
    }

    MenuComponent& menu() const { return hotspot->getMenu(); }
    FakeWindowComponent& catcher() const { return hotspot->getFakeWindow(); }
    AboutProgramComponent& about() const { return hotspot->getAboutPanel(); }

    juce::Point<int> rowCentre (int row) const
    {
        return menu().getRow (row).getBounds().getCentre() + menu().getPosition();
    }

    struct Shown
    {
        bool menu, catcher, about;
        bool operator== (const Shown& other) const { return menu == other.menu && catcher == other.catcher && about == other.about; }
    };

    Shown shown() const { return { menu().isVisible(), catcher().isVisible(), about().isVisible() }; }

    BrowserLaunchRecorder browser;
    OvelanAudioProcessor processor;
    echovane::host::OwnedEditor editor;
    PopuppWindowComponent* hotspot = nullptr;
    std::unique_ptr<PointerDriver> pointer;
};

std::ostream& operator<< (std::ostream& out, const MenuFixture::Shown& shown)
{
    return out << "menu " << shown.menu << ", catcher " << shown.catcher << ", about " << shown.about;
}

TEST (InfoMenu, ThePanelsAreEditorChildrenAboveEverythingAndHiddenAtFirst)
{
    MenuFixture fixture;
    ASSERT_NE (fixture.hotspot, nullptr);

    const auto& children = fixture.editor->getChildren();
    ASSERT_GE (children.size(), 5);
    const auto last = children.size() - 1;
    EXPECT_NE (dynamic_cast<UpdateContainer*> (children[last - 4]), nullptr);
    EXPECT_EQ (children[last - 3], &fixture.about());
    EXPECT_EQ (children[last - 2], &fixture.catcher());
    EXPECT_EQ (children[last - 1], fixture.hotspot);
    EXPECT_EQ (children[last], &fixture.menu());

    EXPECT_EQ (fixture.shown(), (MenuFixture::Shown{ false, false, false }));
    EXPECT_EQ (fixture.about().getAboutLabel().getText(), AboutProgramComponent::makeAboutText ("1.0.0"));
}

// Every state is reached from the one before it by real clicks, starting Closed.
enum class Start
{
    closed,
    menuOpen,
    aboutOpen,
    menuOverAbout,
    aboutWithoutCatcher
};

enum class Event
{
    clickHotspot,
    clickHotspotElsewhere,
    pressHotspotReleaseOutside,
    clickWebsiteRow,
    clickSupportRow,
    clickManualRow,
    clickAboutRow,
    clickAway,
    clickAboutPanel,
    clickCloseMark,
};

struct TransitionCase
{
    const char* name;
    Start from;
    Event event;
    MenuFixture::Shown to;
    std::vector<std::string> opened;
    juce::Point<int> menuAt = { -1, -1 };
};

constexpr juce::Point<int> hotspotPoint{ 150, 25 };
constexpr juce::Point<int> otherHotspotPoint{ 290, 30 };
constexpr juce::Point<int> awayPoint{ 60, 300 };

void perform (MenuFixture& fixture, Event event)
{
    auto& pointer = *fixture.pointer;

    switch (event)
    {
        case Event::clickHotspot:
            pointer.click (hotspotPoint);
            break;
        case Event::clickHotspotElsewhere:
            pointer.click (otherHotspotPoint);
            break;
        case Event::pressHotspotReleaseOutside:
            pointer.press (hotspotPoint);
            pointer.release ({ 400, 200 });
            break;
        case Event::clickWebsiteRow:
            pointer.click (fixture.rowCentre (0));
            break;
        case Event::clickSupportRow:
            pointer.click (fixture.rowCentre (1));
            break;
        case Event::clickManualRow:
            pointer.click (fixture.rowCentre (2));
            break;
        case Event::clickAboutRow:
            pointer.click (fixture.rowCentre (3));
            break;
        case Event::clickAway:
            pointer.click (awayPoint);
            break;
        case Event::clickAboutPanel:
            pointer.click (fixture.about().getBounds().getCentre());
            break;
        case Event::clickCloseMark:
            pointer.click (fixture.about().getBounds().getTopRight() + juce::Point<int> (-12, 12));
            break;
    }
}

void reach (MenuFixture& fixture, Start state)
{
    const std::vector<Event> roads[] = {
        {},
        { Event::clickHotspot },
        { Event::clickHotspot, Event::clickAboutRow },
        { Event::clickHotspot, Event::clickAboutRow, Event::clickHotspot },
        { Event::clickHotspot, Event::clickAboutRow, Event::clickHotspot, Event::clickManualRow },
    };

    for (auto event : roads[static_cast<int> (state)])
        perform (fixture, event);
}

const auto home = std::string (WebAddresses::homePage);
const auto support = std::string (WebAddresses::supportPage);
const auto manual = std::string (WebAddresses::userManual);

const TransitionCase transitions[] = {
    { "ClosedClickHotspot", Start::closed, Event::clickHotspot, { true, true, false }, {}, hotspotPoint },
    { "ClosedPressHotspotReleaseOutside", Start::closed, Event::pressHotspotReleaseOutside, { true, true, false }, {}, { 400, 200 } },
    { "ClosedClickAway", Start::closed, Event::clickAway, { false, false, false }, {} },
    { "MenuWebsiteRow", Start::menuOpen, Event::clickWebsiteRow, { false, false, false }, { home } },
    { "MenuSupportRow", Start::menuOpen, Event::clickSupportRow, { false, false, false }, { support } },
    { "MenuManualRow", Start::menuOpen, Event::clickManualRow, { false, false, false }, { manual } },
    { "MenuAboutRow", Start::menuOpen, Event::clickAboutRow, { false, true, true }, {} },
    { "MenuClickAway", Start::menuOpen, Event::clickAway, { false, false, false }, {} },
    { "MenuClickHotspotAgain", Start::menuOpen, Event::clickHotspotElsewhere, { true, true, false }, {}, otherHotspotPoint },
    { "AboutClickAway", Start::aboutOpen, Event::clickAway, { false, false, false }, {} },
    { "AboutClickOnThePanel", Start::aboutOpen, Event::clickAboutPanel, { false, false, false }, {} },
    { "AboutClickCloseMark", Start::aboutOpen, Event::clickCloseMark, { false, false, false }, {} },
    { "AboutClickHotspot", Start::aboutOpen, Event::clickHotspot, { true, true, true }, {}, hotspotPoint },
    { "MenuOverAboutAboutRow", Start::menuOverAbout, Event::clickAboutRow, { false, true, true }, {} },
    { "MenuOverAboutLinkRow", Start::menuOverAbout, Event::clickSupportRow, { false, false, true }, { support } },
    { "MenuOverAboutClickAway", Start::menuOverAbout, Event::clickAway, { false, false, false }, {} },
    { "AboutWithoutCatcherClickHotspot", Start::aboutWithoutCatcher, Event::clickHotspot, { true, true, true }, {}, hotspotPoint },
    { "AboutWithoutCatcherClickAway", Start::aboutWithoutCatcher, Event::clickAway, { false, false, true }, {} },
    { "AboutWithoutCatcherClickOnThePanel", Start::aboutWithoutCatcher, Event::clickAboutPanel, { false, false, true }, {} },
};

void PrintTo (const TransitionCase& transition, std::ostream* out) { *out << transition.name; }

class InfoMenuTransitions : public ::testing::TestWithParam<TransitionCase>
{
};

TEST_P (InfoMenuTransitions, FollowTheClicks)
{
    const auto& transition = GetParam();
    MenuFixture fixture;
    reach (fixture, transition.from);
    const auto openedBefore = fixture.browser.launchesSoFar();

    perform (fixture, transition.event);

    EXPECT_EQ (fixture.shown(), transition.to);
    EXPECT_EQ (fixture.shown(), (MenuFixture::Shown{ fixture.menu().isShown, fixture.catcher().isShown, fixture.about().isShown }));

    if (transition.menuAt.x >= 0)
    {
        EXPECT_EQ (fixture.menu().getPosition(), transition.menuAt);
    }

    auto opened = fixture.browser.launchesSoFar();
    opened.erase (opened.begin(), opened.begin() + static_cast<std::ptrdiff_t> (openedBefore.size()));
    EXPECT_EQ (opened, transition.opened);
}

INSTANTIATE_TEST_SUITE_P (Table, InfoMenuTransitions, ::testing::ValuesIn (transitions), [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

// Where everything lands at the three size steps, the menu opened by a click at `clickAt`.
struct SizeCase
{
    int width, height;
    Bounds hotspot;
    juce::Point<int> clickAt;
    Bounds menu;
    int rowHeight;
    int rowY[4];
    float captionHeight;
    Bounds about;
};

const SizeCase sizeCases[] = {
    { 1000, 480, { 135, 19, 170, 16 }, { 150, 25 }, { 150, 25, 85, 89 }, 22, { 0, 22, 44, 66 }, 17.6f, { 200, 44, 600, 391 } },
    { 800, 384, { 108, 15, 136, 13 }, { 120, 20 }, { 120, 20, 68, 72 }, 18, { 0, 18, 36, 54 }, 14.4f, { 159, 35, 480, 313 } },
    { 1500, 720, { 202, 28, 255, 24 }, { 300, 40 }, { 300, 40, 127, 134 }, 33, { 0, 33, 67, 100 }, 26.4f, { 299, 66, 900, 587 } },
};

void PrintTo (const SizeCase& size, std::ostream* out) { *out << size.width << " x " << size.height; }

class InfoMenuAtSizes : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P (InfoMenuAtSizes, PlacesHotspotMenuRowsCatcherAndAbout)
{
    const auto& expected = GetParam();
    MenuFixture fixture;
    fixture.editor->setSize (expected.width, expected.height);

    EXPECT_EQ (fixture.hotspot->getBounds(), expected.hotspot);
    fixture.pointer->click (expected.clickAt);

    EXPECT_EQ (fixture.menu().getBounds(), expected.menu);

    for (int row = 0; row < MenuComponent::numRows; ++row)
    {
        SCOPED_TRACE ("row " + std::to_string (row));
        EXPECT_EQ (fixture.menu().getRow (row).getBounds(), Bounds (0, expected.rowY[row], expected.menu.getWidth(), expected.rowHeight));
        EXPECT_FLOAT_EQ (fixture.menu().getRow (row).getCaptionLabel().getFont().getHeight(), expected.captionHeight);
    }

    EXPECT_EQ (fixture.catcher().getBounds(), Bounds (0, 0, expected.width, expected.height));
    EXPECT_EQ (fixture.about().getBounds(), expected.about);
}

INSTANTIATE_TEST_SUITE_P (Steps, InfoMenuAtSizes, ::testing::ValuesIn (sizeCases), [] (const auto& testInfo)
                          { return std::to_string (testInfo.param.width) + "x" + std::to_string (testInfo.param.height); });

TEST (InfoMenu, RowsAndCaptionsInMenuOrder)
{
    MenuFixture fixture;
    const std::pair<const char*, std::string> rows[] = { { "Website", home }, { "Support", support }, { "Manual", manual }, { "About", "" } };

    for (int row = 0; row < MenuComponent::numRows; ++row)
    {
        EXPECT_EQ (fixture.menu().getRow (row).getCaption(), rows[row].first);
        EXPECT_EQ (fixture.menu().getRow (row).getCaptionLabel().getText(), rows[row].first);
        EXPECT_EQ (fixture.menu().getRow (row).getCaptionLabel().findColour (juce::Label::textColourId).getARGB(), 0xffbebebeu);
        EXPECT_EQ (fixture.menu().getRow (row).getUrl(), rows[row].second);
    }
}

TEST (InfoMenu, MenuStaysAtTheClickPointWhileItsSizeFollowsTheEditor)
{
    MenuFixture fixture;
    fixture.pointer->click (hotspotPoint);
    fixture.editor->setSize (1500, 720);
    EXPECT_EQ (fixture.menu().getBounds(), Bounds (150, 25, 127, 134));
    EXPECT_TRUE (fixture.menu().isVisible());

    // A height change that leaves the hotspot's size alone still stretches the catcher.
    fixture.editor->setSize (1500, 730);
    EXPECT_EQ (fixture.catcher().getBounds(), Bounds (0, 0, 1500, 730));
}

TEST (InfoMenu, HoveredRowDarkens)
{
    MenuFixture fixture;
    fixture.pointer->click (hotspotPoint);
    auto& row = fixture.menu().getRow (1);

    const auto look = [&]
    {
        const auto image = row.createComponentSnapshot (row.getLocalBounds());
        return std::make_pair (image.getPixelAt (3, 3).getARGB(), image.getPixelAt (0, 0).getARGB());
    };

    EXPECT_EQ (look(), std::make_pair (0xff323e44u, 0xff808080u));
    fixture.pointer->moveTo (fixture.rowCentre (1));
    EXPECT_EQ (look(), std::make_pair (0xff232c30u, 0xff555555u));
    fixture.pointer->moveTo (fixture.rowCentre (2));
    EXPECT_EQ (look(), std::make_pair (0xff323e44u, 0xff808080u));
}

TEST (InfoMenu, HotspotShowsTheHandCursor)
{
    MenuFixture fixture;
    fixture.pointer->moveTo (hotspotPoint);
    EXPECT_EQ (fixture.hotspot->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
}

TEST (InfoMenu, AFailedBrowserLaunchClosesTheMenuAllTheSame)
{
    MenuFixture fixture;
    BrowserLaunchRecorder failingBrowser (false);
    fixture.pointer->click (hotspotPoint);
    fixture.pointer->click (fixture.rowCentre (0));

    EXPECT_EQ (fixture.shown(), (MenuFixture::Shown{ false, false, false }));
    EXPECT_EQ (failingBrowser.waitForLaunches (1), std::vector<std::string>{ home });
}

TEST (AboutPanel, TextLinesInOrder)
{
    const auto lines = juce::StringArray::fromLines (AboutProgramComponent::makeAboutText ("1.0.0"));
    ASSERT_EQ (lines.size(), 13);
    EXPECT_EQ (lines[0], "Kestrin Studio Echovane");
    EXPECT_EQ (lines[1], "version 1.0.0 Linux");
    EXPECT_EQ (lines[2], "");
    EXPECT_EQ (lines[3], "support@kestrinstudio.example");
    EXPECT_EQ (lines[4], "www.kestrinstudio.example");
    EXPECT_EQ (lines[5], "");
    EXPECT_EQ (lines[7], "");
    EXPECT_FALSE (lines[8].contains ("2023"));
    EXPECT_TRUE (lines[9].contains ("2023"));
    EXPECT_EQ (lines[10], "Kestrin Studio Echovane");
    EXPECT_EQ (lines[11], "");
    EXPECT_EQ (lines[12], "VST Plugin Technology by Steinberg");
    EXPECT_FALSE (AboutProgramComponent::makeAboutText ("1.0.0").endsWith ("\n"));
    EXPECT_EQ (juce::URL (juce::String ("https://") + lines[4]).getDomain(), lines[4]);
}

TEST (AboutPanel, LayoutAtTheHundredPercentStep)
{
    AboutProgramComponent about ("1.0.0");
    about.setSize (600, 391);

    EXPECT_EQ (about.getAboutLabel().getBounds(), Bounds (246, 66, 480, 258));
    EXPECT_FLOAT_EQ (about.getAboutLabel().getFont().getHeight(), 391.0f / 22.0f);

    const auto logo = AboutProgramComponent::logoArea (600, 391);
    EXPECT_FLOAT_EQ (logo.getX(), 63.0f);
    EXPECT_NEAR (logo.getY(), 136.28f, 1.0e-4f);
    EXPECT_FLOAT_EQ (logo.getWidth(), 120.0f);
    EXPECT_NEAR (logo.getHeight(), 118.44f, 1.0e-4f);
    EXPECT_EQ (AboutProgramComponent::closeMarkArea (600, 17, 16), juce::Rectangle<float> (576.0f, 0.0f, 24.0f, 24.0f));

    // Drawn: the translucent teal card, and the grey cross in the top-right corner.
    const auto image = about.createComponentSnapshot (about.getLocalBounds());
    const auto card = image.getPixelAt (300, 5);
    EXPECT_EQ (card.getAlpha(), 0xcc);
    EXPECT_NEAR (card.getGreen(), 0x78, 1);
    EXPECT_NEAR (card.getBlue(), 0x87, 1);
    const auto cross = image.getPixelAt (588, 12);
    EXPECT_LT (cross.getBlue(), card.getBlue() - 20);
}

// The label reaches past the panel's right edge on purpose, so a line too long for the visible
// part is cut off silently: every line must end inside the panel at every editor size.
TEST (AboutPanel, EveryLineEndsInsideThePanelAtEverySize)
{
    MenuFixture fixture;
    const juce::Point<int> editorSizes[] = { { 800, 384 }, { 1000, 480 }, { 1500, 720 }, { 1237, 611 }, { 640, 300 }, { 1000, 900 } };

    for (const auto size : editorSizes)
    {
        fixture.editor->setSize (size.x, size.y);
        const auto& label = fixture.about().getAboutLabel();
        const auto textLeft = static_cast<float> (label.getX() + label.getBorderSize().getLeft());
        const auto lines = juce::StringArray::fromLines (label.getText());

        for (const auto& line : lines)
            EXPECT_LE (textLeft + label.getFont().getStringWidthFloat (line), static_cast<float> (fixture.about().getWidth()))
                << "\"" << line << "\" at " << size.x << " x " << size.y;
    }
}

TEST (InfoEditor, EveryOpeningMakesItsOwnCheckAndClosingLeavesNoThread)
{
    OvelanAudioProcessor processor;
    openEditor (processor).reset();

    // Checks of earlier editors end by themselves, a moment after them: their threads must be
    // gone before counting.
    ASSERT_TRUE (echovane::testing::updateChecksSettle());
    echovane::testing::pumpFor (100);
    const auto threadsBefore = echovane::testing::threadsInProcess();

    for (int opening = 0; opening < 3; ++opening)
    {
        auto editor = openEditor (processor);
        auto* notice = findChild<UpdateContainer> (*editor);
        ASSERT_NE (notice, nullptr);
        EXPECT_EQ (notice->updateThread->versionFileUrl, WebAddresses::versionFile);
        EXPECT_EQ (notice->getBounds(), Bounds (170, 38, 100, 12));
    }

    // Each check ends by itself (the test programs refuse the maker's host), after its editor.
    EXPECT_TRUE (echovane::testing::updateChecksSettle());
    EXPECT_TRUE (echovane::testing::threadCountSettlesAt (threadsBefore));
}
} // namespace
