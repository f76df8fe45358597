#include "Commands.h"
#include "ComponentState.h"
#include "EditorSnapshot.h"
#include "PluginLoader.h"

#include <cmath>
#include <iostream>

namespace echovane::host
{
namespace
{
constexpr int largestSide = 8192;

juce::Point<int> parseSize (const std::string& text)
{
    const auto cross = text.find ('x');

    if (cross == std::string::npos)
        throw UsageError ("--size expects WIDTHxHEIGHT, got '" + text + "'");

    const auto side = [&text] (const std::string& part)
    {
        const auto value = parseNumber (part, "--size");

        if (value != std::floor (value) || value < 1.0 || value > largestSide)
            throw UsageError ("--size: each side must be a whole number from 1 to " + std::to_string (largestSide) + ", got '" + text + "'");

        return static_cast<int> (value);
    };

    return { side (text.substr (0, cross)), side (text.substr (cross + 1)) };
}
} // namespace

int runSnapshot (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, { "--out", "--size" }, { "--set" });
    arguments.expectPositionals (1, "echovane-host snapshot BUNDLE --out FILE.png [--size WxH] [--set ID=VALUE ...]");
    const auto bundle = bundleArgument (arguments.positional (0, "BUNDLE"));

    if (! arguments.has ("--out"))
        throw UsageError ("snapshot needs --out FILE.png");

    const auto out = fileArgument (arguments.value ("--out"));
    std::optional<juce::Point<int>> size;

    if (arguments.has ("--size"))
        size = parseSize (arguments.value ("--size"));

    checkAssignmentSyntax (arguments.values ("--set"));

    auto plugin = loadBundle (bundle);
    applyAssignments (*plugin, arguments.values ("--set"));
    const auto image = renderEditor (readComponentState (*plugin), size);

    if (! image.isValid())
        throw CommandFailure ("the plug-in's editor drew nothing");

    juce::MemoryOutputStream png;
    juce::PNGImageFormat format;

    if (! format.writeImageToStream (image, png) || ! replaceFileWith (out, png.getData(), png.getDataSize()))
        throw CommandFailure ("could not write '" + out.getFullPathName().toStdString() + "'");

    std::cout << "wrote " << image.getWidth() << "x" << image.getHeight() << " editor picture to " << out.getFullPathName() << "\n";
    return 0;
}
} // namespace echovane::host
