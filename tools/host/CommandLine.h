#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace echovane::host
{
/** Bad command-line input: reported as one line on stderr with exit code 2. */
class UsageError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/** A failure while doing the work (a bundle that does not load, a file that cannot be written). */
class CommandFailure final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/** The arguments of one sub-command: positionals, single-valued options, repeatable options
    and flags, each declared before use so that anything undeclared is an error. */
class CommandArguments
{
public:
    CommandArguments (std::vector<std::string> args,
                      std::vector<std::string> valueOptions,
                      std::vector<std::string> repeatableOptions = {},
                      std::vector<std::string> flags = {});

    size_t getNumPositionals() const { return positionals.size(); }
    const std::string& positional (size_t index, const char* what) const;
    void expectPositionals (size_t count, const char* usage) const;

    bool has (const std::string& option) const;
    std::string value (const std::string& option, const std::string& fallback = {}) const;
    const std::vector<std::string>& values (const std::string& option) const;
    bool flag (const std::string& name) const;

    double number (const std::string& option, double fallback, double minimum, double maximum) const;
    int integer (const std::string& option, int fallback, int minimum, int maximum) const;

private:
    std::vector<std::string> positionals;
    std::map<std::string, std::vector<std::string>> options;
    std::vector<std::string> setFlags;
};

/** Parses a whole decimal number; throws UsageError naming `what` when it is not one. */
double parseNumber (const std::string& text, const std::string& what);

/** A bundle path given on the command line, checked to exist. */
juce::File bundleArgument (const std::string& path);

juce::File fileArgument (const std::string& path);

/** Replaces the file with the bytes, all or nothing; false when they could not be written. */
bool replaceFileWith (const juce::File& file, const void* data, size_t size);
} // namespace echovane::host
