#include "editor/DelayRow.h"
#include "support/EditorProbe.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

// docs/ARCHITECTURE.md is read by people taking the code over; these tests keep it from drifting
// away from the code it describes.
namespace
{
namespace fs = std::filesystem;

const fs::path sourceRoot{ ECHOVANE_SOURCE_DIR };

std::string readFile (const fs::path& path)
{
    std::ifstream stream (path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::string map()
{
    return readFile (sourceRoot / "docs" / "ARCHITECTURE.md");
}

/** The component tree: the first fenced block of the map. */
std::vector<std::string> treeLines()
{
    std::istringstream text (map());
    std::vector<std::string> lines;
    bool inTree = false;

    for (std::string line; std::getline (text, line);)
    {
        if (line.rfind ("```", 0) == 0)
        {
            if (inTree)
                break;

            inTree = true;
            continue;
        }

        if (inTree)
            lines.push_back (line);
    }

    return lines;
}

std::string trimmed (const std::string& text)
{
    const auto first = text.find_first_not_of (' ');
    const auto last = text.find_last_not_of (' ');
    return first == std::string::npos ? std::string() : text.substr (first, last - first + 1);
}

/** The editor's children as the tree lists them: each line starting a branch of the root names
    one or more classes, separated by commas, before its first " ─ " or its remark. */
std::vector<std::string> editorChildrenInTheMap()
{
    std::vector<std::string> names;

    for (const auto& line : treeLines())
    {
        for (const std::string branch : { "├─ ", "└─ " })
        {
            if (line.rfind (branch, 0) != 0)
                continue;

            auto rest = line.substr (branch.size());
            for (const std::string end : { " ─ ", "  ", "(" })
                rest = rest.substr (0, rest.find (end));

            std::istringstream list (rest);
            for (std::string name; std::getline (list, name, ',');)
                names.push_back (trimmed (name));
        }
    }

    return names;
}

std::string classNameOf (const juce::Component& component)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle (typeid (component).name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : typeid (component).name();
    std::free (demangled);
    return name;
}

std::vector<std::string> allMatches (const std::string& text, const std::regex& pattern, size_t group)
{
    std::vector<std::string> found;

    for (auto it = std::sregex_iterator (text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back ((*it)[group].str());

    return found;
}
} // namespace

TEST (ArchitectureMap, NamesTheEditorsChildrenInTheirOrder)
{
    OvelanAudioProcessor processor;
    auto editor = echovane::testing::openEditor (processor);
    ASSERT_NE (editor, nullptr);

    std::vector<std::string> actual;
    for (auto* child : editor->getChildren())
        actual.push_back (classNameOf (*child));

    EXPECT_EQ (editorChildrenInTheMap(), actual);
}

TEST (ArchitectureMap, NumbersTheControlRowsChildrenAsTheRowAddsThem)
{
    std::string tree;
    for (const auto& line : treeLines())
        tree += line + "\n";

    // "0 feedKnob", "11 bypassButton": the child's index and the row's member that holds it.
    const std::regex numbered (R"((\d+) ([a-z]\w+))");
    std::vector<std::string> inTheMap;

    for (auto it = std::sregex_iterator (tree.begin(), tree.end(), numbered); it != std::sregex_iterator(); ++it)
    {
        EXPECT_EQ (std::stoul ((*it)[1].str()), inTheMap.size()) << (*it)[0].str();
        inTheMap.push_back ((*it)[2].str());
    }

    const auto rowSource = readFile (sourceRoot / "editor" / "DelayRow.cpp");
    const auto constructor = rowSource.find ("DelayRow::DelayRow (");
    ASSERT_NE (constructor, std::string::npos);
    const auto body = rowSource.substr (constructor, rowSource.find ("\n}\n", constructor) - constructor);

    EXPECT_EQ (inTheMap, allMatches (body, std::regex (R"(addAndMakeVisible \((\w+)\.get\(\)\))"), 1));
    EXPECT_EQ (inTheMap.size(), 12u);
}

TEST (ArchitectureMap, EveryClassInTheTreeIsOneOfOurs)
{
    std::string ourCode;
    for (const auto* folder : { "editor", "info", "engine" })
        for (const auto& entry : fs::directory_iterator (sourceRoot / folder))
            if (entry.path().extension() == ".h")
                ourCode += readFile (entry.path());

    std::string tree;
    for (const auto& line : treeLines())
        tree += line + "\n";

    const auto names = allMatches (tree, std::regex (R"(\b([A-Z][a-z]+(?:[A-Z][A-Za-z]*)+)\b)"), 1);
    EXPECT_GE (names.size(), 25u);

    for (const auto& name : names)
        EXPECT_TRUE (std::regex_search (ourCode, std::regex ("\\b(class|struct) " + name + "\\b"))) << name;
}

TEST (ArchitectureMap, EveryFileItNamesExists)
{
    // Paths in backticks: a folder, a file, or a file's stem with ".*" or without an extension.
    const auto paths = allMatches (map(), std::regex (R"(`([A-Za-z0-9_.\-]+(?:/[A-Za-z0-9_.\-*]*)+)`)"), 1);
    EXPECT_GE (paths.size(), 20u);

    for (auto path : paths)
    {
        const auto wildcard = path.size() > 2 && path.compare (path.size() - 2, 2, ".*") == 0;
        if (wildcard)
            path.resize (path.size() - 2);

        const auto full = sourceRoot / path;
        auto found = ! wildcard && fs::exists (full);

        if (! found && full.has_parent_path() && fs::is_directory (full.parent_path()))
            for (const auto& entry : fs::directory_iterator (full.parent_path()))
                found = found || entry.path().stem() == full.filename();

        EXPECT_TRUE (found) << path;
    }
}
