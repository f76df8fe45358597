#include "BundleFixture.h"

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
        const auto binary = echovane::testing::builtBundle()
                                .getChildFile ("Contents/x86_64-linux/Kestrin Studio Echovane.so");
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
} // namespace
