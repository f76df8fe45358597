#include "CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace echovane::host
{
namespace
{
bool contains (const std::vector<std::string>& list, const std::string& item)
{
    return std::find (list.begin(), list.end(), item) != list.end();
}
} // namespace

CommandArguments::CommandArguments (std::vector<std::string> args,
                                    std::vector<std::string> valueOptions,
                                    std::vector<std::string> repeatableOptions,
                                    std::vector<std::string> flags)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        auto arg = args[i];

        if (arg.rfind ("--", 0) != 0 || arg == "--")
        {
            positionals.push_back (arg);
            continue;
        }

        std::string inlineValue;
        bool hasInlineValue = false;

        if (const auto equals = arg.find ('='); equals != std::string::npos)
        {
            inlineValue = arg.substr (equals + 1);
            arg = arg.substr (0, equals);
            hasInlineValue = true;
        }

        const bool single = contains (valueOptions, arg);
        const bool repeatable = contains (repeatableOptions, arg);

        if (contains (flags, arg))
        {
            if (hasInlineValue)
                throw UsageError ("option " + arg + " takes no value");

            setFlags.push_back (arg);
            continue;
        }

        if (! single && ! repeatable)
            throw UsageError ("unknown option " + arg);

        std::string optionValue;

        if (hasInlineValue)
            optionValue = inlineValue;
        else if (i + 1 < args.size())
            optionValue = args[++i];
        else
            throw UsageError ("option " + arg + " needs a value");

        auto& slot = options[arg];

        if (single && ! slot.empty())
            throw UsageError ("option " + arg + " given twice");

        slot.push_back (optionValue);
    }
}

const std::string& CommandArguments::positional (size_t index, const char* what) const
{
    if (index >= positionals.size())
        throw UsageError (std::string ("missing ") + what);

    return positionals[index];
}

void CommandArguments::expectPositionals (size_t count, const char* usage) const
{
    if (positionals.size() < count)
        throw UsageError (std::string ("too few arguments; usage: ") + usage);

    if (positionals.size() > count)
        throw UsageError ("unexpected argument '" + positionals[count] + "'");
}

bool CommandArguments::has (const std::string& option) const
{
    return options.count (option) != 0;
}

std::string CommandArguments::value (const std::string& option, const std::string& fallback) const
{
    const auto found = options.find (option);
    return found == options.end() ? fallback : found->second.front();
}

const std::vector<std::string>& CommandArguments::values (const std::string& option) const
{
    static const std::vector<std::string> none;
    const auto found = options.find (option);
    return found == options.end() ? none : found->second;
}

bool CommandArguments::flag (const std::string& name) const
{
    return contains (setFlags, name);
}

double CommandArguments::number (const std::string& option, double fallback, double minimum, double maximum) const
{
    if (! has (option))
        return fallback;

    const auto result = parseNumber (value (option), option);

    if (result < minimum || result > maximum)
        throw UsageError (option + " must lie between " + juce::String (minimum).toStdString() + " and "
                          + juce::String (maximum).toStdString() + ", got '" + value (option) + "'");

    return result;
}

int CommandArguments::integer (const std::string& option, int fallback, int minimum, int maximum) const
{
    const auto result = number (option, fallback, minimum, maximum);

    if (result != std::floor (result))
        throw UsageError (option + " must be a whole number, got '" + value (option) + "'");

    return static_cast<int> (result);
}

double parseNumber (const std::string& text, const std::string& what)
{
    if (text.empty())
        throw UsageError (what + ": empty value is not a number");

    errno = 0;
    char* end = nullptr;
    const auto result = std::strtod (text.c_str(), &end);

    if (end != text.c_str() + text.size() || errno == ERANGE || ! std::isfinite (result))
        throw UsageError (what + ": '" + text + "' is not a number");

    return result;
}

juce::File bundleArgument (const std::string& path)
{
    const auto file = fileArgument (path);

    if (! file.exists())
        throw UsageError ("no plug-in bundle at '" + path + "'");

    return file;
}

juce::File fileArgument (const std::string& path)
{
    if (path.empty())
        throw UsageError ("empty file name");

    return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path));
}

bool replaceFileWith (const juce::File& file, const void* data, size_t size)
{
    // juce::File::replaceWithData goes on to the rename even when the temporary file could not be
    // written (a missing folder, say), which a Debug build of JUCE reports as a misuse.
    if (size == 0)
        return file.deleteFile();

    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);
    return temporary.getFile().appendData (data, size) && temporary.overwriteTargetFileWithTemporary();
}
} // namespace echovane::host
