#include "BundleFixture.h"
#include "info/PopuppWindowComponent.h"
#include "info/UpdateContainer.h"
#include "info/WebAddresses.h"
#include "support/EditorProbe.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include <pluginterfaces/base/ipluginbase.h>
#pragma GCC diagnostic pop

namespace
{
// The factory a DAW reads before it creates anything: read straight from the module's entry
// points, below JUCE's hosting, because these texts are what hosts file the plug-in under.
class BundleFactory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const juce::File binary (ECHOVANE_VST3_BINARY_FILE);
        ASSERT_TRUE (library.open (binary.getFullPathName())) << binary.getFullPathName();

        using EntryFunction = bool (*) (void*);
        using ExitFunction = bool (*)();
        using FactoryFunction = Steinberg::IPluginFactory* (*) ();
        entry = reinterpret_cast<EntryFunction> (library.getFunction ("ModuleEntry"));
        exitModule = reinterpret_cast<ExitFunction> (library.getFunction ("ModuleExit"));
        auto getFactory = reinterpret_cast<FactoryFunction> (library.getFunction ("GetPluginFactory"));
        ASSERT_NE (entry, nullptr);
        ASSERT_NE (exitModule, nullptr);
        ASSERT_NE (getFactory, nullptr);
        ASSERT_TRUE (entry (library.getNativeHandle()));
        factory = getFactory();
        ASSERT_NE (factory, nullptr);
    }

    void TearDown() override
    {
        if (factory != nullptr)
            factory->release();

        if (exitModule != nullptr)
            exitModule();
    }

    juce::DynamicLibrary library;
    bool (*entry) (void*) = nullptr;
    bool (*exitModule)() = nullptr;
    Steinberg::IPluginFactory* factory = nullptr;
};

TEST_F (BundleFactory, NamesTheVendorAndTwoClassesInOrder)
{
    Steinberg::PFactoryInfo info;
    ASSERT_EQ (factory->getFactoryInfo (&info), Steinberg::kResultOk);
    EXPECT_STREQ (info.vendor, "Kestrin Studio Ltd.");
    EXPECT_GT (std::strlen (info.url), 0u);
    EXPECT_TRUE (juce::String (info.email).contains ("@"));

    ASSERT_EQ (factory->countClasses(), 2);

    Steinberg::FUnknown* unknown = factory;
    Steinberg::IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ (unknown->queryInterface (Steinberg::IPluginFactory2::iid, reinterpret_cast<void**> (&factory2)), Steinberg::kResultOk);

    const char* categories[] = { "Audio Module Class", "Component Controller Class" };

    for (Steinberg::int32 i = 0; i < 2; ++i)
    {
        Steinberg::PClassInfo2 classInfo;
        ASSERT_EQ (factory2->getClassInfo2 (i, &classInfo), Steinberg::kResultOk);
        SCOPED_TRACE (classInfo.category);
        EXPECT_STREQ (classInfo.category, categories[i]);
        EXPECT_STREQ (classInfo.name, "Kestrin Studio Echovane");
        EXPECT_STREQ (classInfo.subCategories, "Fx");
        EXPECT_STREQ (classInfo.version, "1.0.0");
        EXPECT_STREQ (classInfo.sdkVersion, "VST 3.7.2");
        EXPECT_STREQ (classInfo.vendor, "Kestrin Studio Ltd.");
        EXPECT_EQ (classInfo.cardinality, Steinberg::PClassInfo::kManyInstances);
    }

    factory2->release();
}

/** The About text's lines, from the label an opened editor shows. */
juce::StringArray shownAboutLines (juce::AudioProcessorEditor& editor)
{
    const auto* hotspot = echovane::testing::findChild<PopuppWindowComponent> (editor);
    return hotspot == nullptr ? juce::StringArray() : juce::StringArray::fromLines (hotspot->getAboutPanel().getAboutLabel().getText());
}

// What hosts file the plug-in under comes from the build's factory information; what the user
// reads in the About panel and what the update check compares comes from the code. Both must
// name the same product, maker, addresses and version.
TEST_F (BundleFactory, HasTheFactsTheAboutTextShowsAndTheUpdateCheckComparesWith)
{
    Steinberg::PFactoryInfo info;
    ASSERT_EQ (factory->getFactoryInfo (&info), Steinberg::kResultOk);

    Steinberg::FUnknown* unknown = factory;
    Steinberg::IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ (unknown->queryInterface (Steinberg::IPluginFactory2::iid, reinterpret_cast<void**> (&factory2)), Steinberg::kResultOk);
    Steinberg::PClassInfo2 classInfo;
    const auto read = factory2->getClassInfo2 (0, &classInfo);
    factory2->release();
    ASSERT_EQ (read, Steinberg::kResultOk);

    const juce::String name (classInfo.name), version (classInfo.version), vendor (info.vendor);
    const juce::String email (info.email), website (info.url);
    EXPECT_EQ (juce::String (classInfo.vendor), vendor);

    // The editor and its update check as the bundle builds them, from the same sources.
    OvelanAudioProcessor processor;
    EXPECT_EQ (processor.getName(), name);

    const auto editor = echovane::testing::openEditor (processor);
    ASSERT_NE (editor, nullptr);
    const auto lines = shownAboutLines (*editor);
    ASSERT_GT (lines.size(), 1) << "the About panel's text";
    const auto* notice = echovane::testing::findChild<UpdateContainer> (*editor);
    ASSERT_NE (notice, nullptr);
    ASSERT_NE (notice->updateThread, nullptr);

    EXPECT_EQ (lines[0], name);
    EXPECT_EQ (lines[1], "version " + version + " Linux");
    EXPECT_EQ (juce::String (notice->updateThread->currentVersion), version);

    EXPECT_TRUE (lines.contains (email)) << lines.joinIntoString ("|");
    EXPECT_EQ (website, juce::String (WebAddresses::homePage)) << "the Website row opens the factory's address";
    EXPECT_TRUE (lines.contains (juce::URL (website).getDomain())) << lines.joinIntoString ("|");
    EXPECT_EQ (juce::URL (notice->updateThread->versionFileUrl).getDomain(), juce::URL (website).getDomain());

    juce::StringArray copyrightLines;

    for (const auto& line : lines)
        if (line.startsWith (juce::String::fromUTF8 ("\xc2\xa9")))
            copyrightLines.add (line);

    ASSERT_EQ (copyrightLines.size(), 1) << lines.joinIntoString ("|");
    EXPECT_TRUE (copyrightLines[0].endsWith (" " + vendor)) << copyrightLines[0];
}
} // namespace
