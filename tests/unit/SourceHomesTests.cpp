#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

/** The code of a source file with its comments blanked out, so that prose naming a call or a
    colour does not count; string and character literals stay. */
std::string codeOf (const std::string& text)
{
    std::string result;
    result.reserve (text.size());

    enum class In
    {
        code,
        lineComment,
        blockComment,
        literal
    };

    auto in = In::code;
    char quote = 0;

    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto c = text[i];
        const auto next = i + 1 < text.size() ? text[i + 1] : '\0';

        switch (in)
        {
            case In::code:
                if (c == '/' && next == '/')
                    in = In::lineComment;
                else if (c == '/' && next == '*')
                    in = In::blockComment;
                else if (c == '"' || c == '\'')
                    in = In::literal, quote = c;

                result += in == In::code || in == In::literal ? c : ' ';
                break;

            case In::lineComment:
                if (c == '\n')
                    in = In::code;

                result += c == '\n' ? c : ' ';
                break;

            case In::blockComment:
                if (c == '*' && next == '/')
                    in = In::code, result += ' ', ++i;

                result += c == '\n' ? c : ' ';
                break;

            case In::literal:
                result += c;

                if (c == '\\' && next != '\0')
                    result += next, ++i;
                else if (c == quote)
                    in = In::code;

                break;
        }
    }

    return result;
}

/** One fact of the plug-in's own code and the one file that may state it. */
struct SingleHome
{
    const char* name;
    std::vector<const char*> folders;
    const char* pattern;
    const char* home;
    bool ignoreCase = false;
};

void PrintTo (const SingleHome& fact, std::ostream* os)
{
    *os << fact.name;
}

/** The files below the given folders of the source tree whose code matches the pattern, as
    paths relative to the tree, sorted. */
std::vector<std::string> filesStating (const SingleHome& fact)
{
    const fs::path tree (ECHOVANE_SOURCE_DIR);
    const std::regex pattern (fact.pattern, fact.ignoreCase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript);
    std::vector<std::string> found;

    for (const auto* folder : fact.folders)
    {
        for (const auto& entry : fs::recursive_directory_iterator (tree / folder))
        {
            const auto extension = entry.path().extension();

            if (! entry.is_regular_file() || (extension != ".h" && extension != ".cpp"))
                continue;

            std::ifstream file (entry.path(), std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();

            if (std::regex_search (codeOf (text.str()), pattern))
                found.push_back (fs::relative (entry.path(), tree).generic_string());
        }
    }

    std::sort (found.begin(), found.end());
    return found;
}

class SourceHomes : public ::testing::TestWithParam<SingleHome>
{
};

// Each fact must stand in its home, and nowhere else in the plug-in's own code.
TEST_P (SourceHomes, TheFactStandsInItsHomeAlone)
{
    const auto& fact = GetParam();
    EXPECT_EQ (filesStating (fact), std::vector<std::string>{ fact.home });
}

INSTANTIATE_TEST_SUITE_P (
    Facts,
    SourceHomes,
    ::testing::Values (
        // Gestures, values and their notifications reach the host only the one way.
        SingleHome{ "ParameterWrites",
                    { "engine", "editor", "info" },
                    R"(\b(setValue|setValueNotifyingHost|sendValueChangedMessageToListeners|beginChangeGesture|endChangeGesture)\s*\()",
                    "engine/ParameterEdit.h" },
        SingleHome{ "Palette",
                    { "editor", "info" },
                    R"(0x(ff00b6c3|ff007d8f|ff00e0ed|ff007887|ff01c7d4|80007887|b200f6fe|ff00f6fe|5e000000|cc007887)\b)",
                    "editor/EditorLook.h",
                    true },
        SingleHome{ "Captions",
                    { "editor", "info" },
                    R"re("(FEED|BALANCE|WIDTH|DRIVE|BRIGHT|DARK|TIME|MIX|BYPASS|TRIPLET|DOTTED|TEMPO|MS)")re",
                    "editor/EditorLook.h" },
        SingleHome{ "Pi",
                    { "editor", "info" },
                    R"(\bpi\s*=|3\.14159)",
                    "editor/EditorLook.h" },
        SingleHome{ "BoundsOf",
                    { "editor", "info" },
                    R"(boundsOf\s*\(\s*int\b)",
                    "editor/EditorLook.h" }),
    [] (const ::testing::TestParamInfo<SingleHome>& paramInfo)
    { return std::string (paramInfo.param.name); });
} // namespace
