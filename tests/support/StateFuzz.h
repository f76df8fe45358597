#pragma once

#include "StateBlocks.h"
#include "engine/ParameterMeaning.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

/** Damaged and unusual state blocks for fuzzing a restore, made from a real saved block. Each
    kind of damage is one entry of a table, with what a restore of its blocks must do besides
    keeping every value finite and in range. */
namespace echovane::testing::statefuzz
{
/** The fourteen saved values by attribute name: the thirteen parameters and "sizechanger". */
using Values = std::map<std::string, double>;

inline const char* const savedNames[] = { "Mix", "Sync", "Feedback", "Balance", "Width", "Drive", "Dark", "Bright", "MS",
                                          "Bypass", "Triplet", "TempoChanger", "Dotted", "sizechanger" };

inline bool isBoolName (const std::string& name)
{
    return name == "Bypass" || name == "Triplet" || name == "TempoChanger" || name == "Dotted";
}

/** What the plug-in holds before every block: each value away from its default. */
inline const Values heldValues = { { "Mix", 0.33 }, { "Sync", 0.77 }, { "Feedback", 0.44 }, { "Balance", 0.21 }, { "Width", 0.65 }, { "Drive", 0.12 }, { "Dark", 0.58 }, { "Bright", 0.91 }, { "MS", 0.4567 }, { "Bypass", 1.0 }, { "Triplet", 1.0 }, { "TempoChanger", 0.0 }, { "Dotted", 1.0 }, { "sizechanger", 2.0 } };

/** What the blocks are made from: every value differs from `heldValues`, so a block that changes
    nothing and one that applies cannot be confused. */
inline const Values savedValues = { { "Mix", 0.71 }, { "Sync", 0.13 }, { "Feedback", 0.62 }, { "Balance", 0.84 }, { "Width", 0.27 }, { "Drive", 0.48 }, { "Dark", 0.35 }, { "Bright", 0.06 }, { "MS", 0.789 }, { "Bypass", 0.0 }, { "Triplet", 0.0 }, { "TempoChanger", 1.0 }, { "Dotted", 0.0 }, { "sizechanger", 0.0 } };

/** The values a processor holds, by the names its state saves them under. A template, so that
    the tests of the built bundle need not see the processor's class. */
template<typename Processor>
Values valuesOf (Processor& processor)
{
    Values values;
    const auto& parameters = processor.getParameters();

    for (int i = 0; i < parameters.size(); ++i)
        values[savedNames[i]] = parameters[i]->getValue();

    values["sizechanger"] = processor.sizeChanger->get();
    return values;
}

/** The first value that is not finite or not in its range, as text; empty when all are. */
inline std::string firstInsaneValue (const Values& values)
{
    for (const auto& [name, value] : values)
        if (! std::isfinite (value) || value < 0.0 || value > (name == "sizechanger" ? 2.0 : 1.0))
            return name + " = " + std::to_string (value);

    return {};
}

/** The first value that differs from the expected one by more than rounding, as text; empty when
    none does. A value that is not a number always differs. */
inline std::string firstDifference (const Values& actual, const Values& expected)
{
    for (const auto* name : savedNames)
        if (! (std::abs (actual.at (name) - expected.at (name)) <= 1.0e-6))
            return std::string (name) + " is " + std::to_string (actual.at (name)) + ", expected " + std::to_string (expected.at (name));

    return {};
}

/** A "Delay" element holding `values`, each written with six decimals. */
inline std::string elementFor (const Values& values)
{
    std::string element = "<Delay";

    for (const auto* name : savedNames)
        element += std::string (" ") + name + "=\"" + juce::String (values.at (name), 6).toStdString() + "\"";

    return element + "/>";
}

/** What a restore of a block must do, besides keeping every value finite and in range. */
enum class Outcome
{
    changesNothing,
    applies, // the block's values, `FuzzBlock::expected`
    either
};

struct FuzzBlock
{
    juce::MemoryBlock bytes;
    Outcome outcome = Outcome::either;
    Values expected;
};

/** What is wrong with the values after restoring `block` over `heldValues`, as text; empty when
    they are what the block's outcome allows. */
inline std::string firstFault (const Values& values, const FuzzBlock& block)
{
    if (const auto insane = firstInsaneValue (values); ! insane.empty())
        return insane;

    if (block.outcome == Outcome::changesNothing)
        return firstDifference (values, heldValues);

    if (block.outcome == Outcome::applies)
        return firstDifference (values, block.expected);

    return {};
}

/** A real saved state of `savedValues` and what surrounds it. */
struct Seed
{
    /** The plug-in's own block as getStateInformation wrote it. */
    juce::MemoryBlock saved;
    /** JUCE's trailer behind it as the host received it; empty where no host is involved. */
    juce::MemoryBlock trailer;
    /** The largest text a giant attribute or number may have. */
    size_t giantBytes = 1 << 20;

    std::string text() const
    {
        const auto* bytes = static_cast<const char*> (saved.getData());
        return std::string (bytes + 8, static_cast<size_t> (juce::ByteOrder::littleEndianInt (bytes + 4)));
    }
};

using Random = std::mt19937;

inline size_t below (Random& random, size_t count)
{
    return count == 0 ? 0 : static_cast<size_t> (random() % count);
}

template<typename Container>
const auto& oneOf (Random& random, const Container& items)
{
    return items[below (random, std::size (items))];
}

/** A size from 1 KB to 64 KB, and one time in eight up to `largest`, spread evenly over the
    powers of two: the largest sizes cost the most time. */
inline size_t giantSize (Random& random, size_t largest)
{
    const auto top = below (random, 8) == 0 ? std::max<size_t> (largest, 1024) : std::min<size_t> (largest, 64 * 1024);
    const auto steps = static_cast<size_t> (std::log2 (static_cast<double> (top / 1024))) + 1;
    return std::min (top, size_t (1024) << below (random, steps)) + below (random, 64);
}

inline FuzzBlock changesNothing (juce::MemoryBlock bytes)
{
    return { std::move (bytes), Outcome::changesNothing, {} };
}

inline FuzzBlock either (juce::MemoryBlock bytes)
{
    return { std::move (bytes), Outcome::either, {} };
}

inline FuzzBlock applies (juce::MemoryBlock bytes, Values expected)
{
    return { std::move (bytes), Outcome::applies, std::move (expected) };
}

inline Values with (Values values, const std::string& name, double value)
{
    values[name] = value;
    return values;
}

/** The seed's text with `insert` put in at a random place, the text's start and end included. */
inline std::string insertedAnywhere (Random& random, const Seed& seed, const std::string& insert)
{
    auto text = seed.text();
    return text.insert (below (random, text.size() + 1), insert);
}

/** The seed's element with its attribute `name` holding `value` instead. */
inline std::string withAttributeText (const Values& values, const std::string& name, const std::string& value)
{
    auto element = elementFor (values);
    const auto start = element.find (" " + name + "=\"") + name.size() + 3;
    return element.replace (start, element.find ('"', start) - start, value);
}

inline std::string repeated (const std::string& piece, size_t count)
{
    std::string result;
    result.reserve (piece.size() * count);

    for (size_t i = 0; i < count; ++i)
        result += piece;

    return result;
}

struct MutationKind
{
    const char* name;
    bool enabled;
    std::function<FuzzBlock (Random&, const Seed&)> make;
};

/** Every kind of block the fuzz tests feed a restore. */
inline const std::vector<MutationKind>& mutationKinds()
{
    static const std::vector<MutationKind> kinds = {
        { "random bytes", true, [] (Random& random, const Seed&)
          {
              juce::MemoryBlock block (below (random, 300));
              for (size_t i = 0; i < block.getSize(); ++i)
                  block[i] = static_cast<char> (random());
              return changesNothing (block);
          } },

        { "VC2! with random text", true, [] (Random& random, const Seed&)
          {
              std::string text (16 + below (random, 400), ' ');
              for (auto& c : text)
                  c = static_cast<char> (below (random, 10) < 7 ? 32 + below (random, 95) : random());
              auto block = binaryXmlBlock (text);
              if (below (random, 4) == 0)
              {
                  const auto length = static_cast<juce::uint32> (random());
                  block.copyFrom (&length, 4, 4);
              }
              return changesNothing (block);
          } },

        { "pieces of XML", true, [] (Random& random, const Seed&)
          {
              static const std::string pieces[] = { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", " ", "\n", "<Delay", "<delay", "<Other", " Mix=\"0.3\"",
                                                    " Sync='0.9'", " Bypass=\"1\"", " sizechanger=\"2\"", "/>", ">", "</Delay>", "</Other>", "<?x?>", "<?x",
                                                    "?>", "<!--c-->", "<!--", "-->", "<![CDATA[x]]>", "<![CDATA[", "]]>", "&amp;", "&lt;", "&#65;", "&#x41;",
                                                    "&bogus;", "&", "<!DOCTYPE d [<!ENTITY e \"x\">]>", "&e;", "\"", "'", "=", "<", "</", "<a>", "</a>",
                                                    "<a/>", "nan", "1e99999", "\xc3\xa9", "\xff", std::string (1, '\0') };
              std::string text;
              for (auto count = 1 + below (random, 16); count > 0; --count)
                  text += oneOf (random, pieces);
              return either (binaryXmlBlock (text));
          } },

        { "byte flips", true, [] (Random& random, const Seed& seed)
          {
              auto block = seed.saved;
              for (auto flips = 1 + below (random, 8); flips > 0; --flips)
                  block[below (random, block.getSize())] = static_cast<char> (random());
              return either (block);
          } },

        { "cut short", true, [] (Random& random, const Seed& seed)
          {
              // Only a cut that leaves the whole text, taking just the closing zero byte, applies.
              auto block = seed.saved;
              block.setSize (below (random, seed.saved.getSize()));
              if (block.getSize() == seed.saved.getSize() - 1)
                  return applies (block, savedValues);
              return changesNothing (block);
          } },

        { "processing instruction inserted", true, [] (Random& random, const Seed& seed)
          {
              static const std::string instructions[] = { "<?x?>", "<?pi some data?>", "<?xml version=\"1.0\"?>", "<?x", "<?"
                                                                                                                         "?>" };
              return changesNothing (binaryXmlBlock (insertedAnywhere (random, seed, oneOf (random, instructions))));
          } },

        { "comment inserted", true, [] (Random& random, const Seed& seed)
          {
              static const std::string comments[] = { "<!--c-->", "<!-- -->", "<!---->", "<!--", "<!-- <?x?> -->" };
              return changesNothing (binaryXmlBlock (insertedAnywhere (random, seed, oneOf (random, comments))));
          } },

        { "CDATA inserted", true, [] (Random& random, const Seed& seed)
          {
              static const std::string sections[] = { "<![CDATA[x]]>", "<![CDATA[]]>", "<![CDATA[", "<![CDATA[<Delay Mix=\"1\"/>]]>" };
              return changesNothing (binaryXmlBlock (insertedAnywhere (random, seed, oneOf (random, sections))));
          } },

        { "reference inserted", true, [] (Random& random, const Seed& seed)
          {
              static const std::string references[] = { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#48;", "&#x31;", "&#0;", "&#x110000;", "&#xD800;",
                                                        "&#99999999999999999999;", "&bogus;", "&", "&amp", "&#;", "&#x;", "&AMP;" };
              return either (binaryXmlBlock (insertedAnywhere (random, seed, oneOf (random, references))));
          } },

        { "DOCTYPE with entities", true, [] (Random& random, const Seed& seed)
          {
              // Entities that double at every level: a parser that expands them runs out of memory.
              std::string doctype = "<!DOCTYPE Delay [<!ENTITY e0 \"9\">";
              const auto levels = 1 + below (random, 30);
              for (size_t level = 1; level <= levels; ++level)
                  doctype += "<!ENTITY e" + std::to_string (level) + " \"&e" + std::to_string (level - 1) + ";&e" + std::to_string (level - 1) + ";\">";
              doctype += "]>";
              auto text = seed.text();
              text.insert (text.find ("<Delay"), doctype);
              const auto value = text.find ("Mix=\"") + 5;
              text.replace (value, text.find ('"', value) - value, "&e" + std::to_string (levels) + ";");
              return changesNothing (binaryXmlBlock (text));
          } },

        { "element with content", true, [] (Random& random, const Seed& seed)
          {
              struct Content
              {
                  const char* text;
                  bool sound;
              };
              static const Content contents[] = { { "", true }, { " ", true }, { "\n\t  \r\n", true }, { "<?x?>a", false }, { "<?x?>", false }, { "a", false }, { "<!--c-->", false }, { "<![CDATA[x]]>", false }, { "&amp;", false }, { "<a/>", false }, { "<Delay Mix=\"0.1\"/>", false }, { " <a> </a> ", false } };
              const auto& content = oneOf (random, contents);
              auto text = seed.text();
              text.replace (text.rfind ("/>"), 2, std::string (">") + content.text + (below (random, 8) == 0 ? "</Other>" : "</Delay>"));
              const auto block = binaryXmlBlock (text);
              return content.sound && text.find ("</Delay>") != std::string::npos ? applies (block, savedValues) : changesNothing (block);
          } },

        { "deep nesting", true, [] (Random& random, const Seed& seed)
          {
              const auto depth = below (random, 8) == 0 ? 20000 + below (random, 80000) : 1 + below (random, 2000);
              std::string opening = below (random, 2) == 0 ? "<a>" : "<Delay Mix=\"0.1\">";
              std::string text;
              switch (below (random, 3))
              {
                  case 0: // open elements only, never closed
                      text = repeated (opening, depth);
                      break;
                  case 1: // closed again, as a document of its own
                      text = repeated ("<a>", depth) + repeated ("</a>", depth);
                      break;
                  default: // inside the saved element
                      text = seed.text();
                      text.replace (text.rfind ("/>"), 2, ">" + repeated ("<a>", depth) + repeated ("</a>", depth) + "</Delay>");
                      break;
              }
              return changesNothing (binaryXmlBlock (text));
          } },

        { "giant attribute", true, [] (Random& random, const Seed& seed)
          {
              const auto size = giantSize (random, seed.giantBytes);
              switch (below (random, 5))
              {
                  case 0:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Mix", std::string (size, ' ') + "0.25")), with (savedValues, "Mix", 0.25));
                  case 1:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Mix", std::string (size, '9'))), with (savedValues, "Mix", 1.0));
                  case 2:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Feedback", "0." + std::string (size, '0') + "1")), with (savedValues, "Feedback", 0.0));
                  case 3:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Dark", "0.3" + std::string (size, 'x'))), with (savedValues, "Dark", 0.3));
                  default:
                  {
                      auto element = elementFor (savedValues);
                      element.insert (element.size() - 2, " Extra=\"" + std::string (size, 'q') + "\"");
                      return applies (binaryXmlBlock (element), savedValues);
                  }
              }
          } },

        { "giant number", true, [] (Random& random, const Seed& seed)
          {
              const auto size = giantSize (random, seed.giantBytes);
              const auto digits = std::string (size, '7');
              switch (below (random, 6))
              {
                  case 0:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Mix", "1e" + digits)), with (savedValues, "Mix", 1.0));
                  case 1:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Width", "5e-" + digits)), with (savedValues, "Width", 0.0));
                  case 2:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Balance", "0.5e" + std::string (size, '0'))), with (savedValues, "Balance", 0.5));
                  case 3:
                      // The exponent takes back the zeros: the value is 0.25.
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Drive", "25" + std::string (size, '0') + "e-" + std::to_string (size + 2))), with (savedValues, "Drive", 0.25));
                  case 4:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "sizechanger", digits)), with (savedValues, "sizechanger", 2.0));
                  default:
                      return applies (binaryXmlBlock (withAttributeText (savedValues, "Sync", "-" + digits)), with (savedValues, "Sync", 0.0));
              }
          } },

        { "invalid UTF-8", true, [] (Random& random, const Seed& seed)
          {
              static const std::string sequences[] = { "\x80", "\xff", "\xc0\xaf", "\xe2\x82", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xc3", "\xf8\x88\x80\x80\x80" };
              return changesNothing (binaryXmlBlock (insertedAnywhere (random, seed, oneOf (random, sequences))));
          } },

        { "sound variations", true, [] (Random& random, const Seed&)
          {
              static const char* const blanks[] = { " ", "  ", "\t", "\n", "\r\n", " \t " };
              static const char* const tags[] = { "Delay", "delay", "DELAY", "dElAy" };
              static const char* const onTexts[] = { "1", "1.0", "true", "True", "yes", "Y", " 1", "\t1" };
              static const char* const offTexts[] = { "0", "0.0", "false", "no", "0.9", "", "off", "-1" };
              const auto blank = [&]
              { return std::string (oneOf (random, blanks)); };
              const auto optionalBlank = [&]
              { return below (random, 2) == 0 ? std::string() : blank(); };

              std::vector<std::string> attributes;
              for (const auto* name : savedNames)
              {
                  const auto value = savedValues.at (name);
                  std::string text;
                  if (isBoolName (name))
                      text = ParameterMeaning::isOn (static_cast<float> (value)) ? oneOf (random, onTexts) : oneOf (random, offTexts);
                  else
                  {
                      const auto plain = juce::String (value, 6).toStdString();
                      const std::string forms[] = { plain, plain + "0", "+" + plain, "  " + plain, juce::String (value * 10.0, 6).toStdString() + "e-1", "&#" + std::to_string (static_cast<int> (plain[0])) + ";" + plain.substr (1) };
                      text = oneOf (random, forms);
                  }
                  const auto quote = below (random, 2) == 0 ? '"' : '\'';
                  attributes.push_back (std::string (name) + optionalBlank() + "=" + optionalBlank() + quote + text + quote);
              }
              attributes.push_back ("Unknown=\"x\"");
              attributes.push_back ("a:b='&lt;1&gt;'");
              std::shuffle (attributes.begin(), attributes.end(), random);

              const std::string tag = oneOf (random, tags);
              std::string text = below (random, 2) == 0 ? std::string() : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + optionalBlank();
              text += optionalBlank() + "<" + tag;
              for (const auto& attribute : attributes)
                  text += blank() + attribute;
              text += optionalBlank() + (below (random, 2) == 0 ? "/>" : ">" + optionalBlank() + "</" + tag + optionalBlank() + ">") + optionalBlank();
              return applies (binaryXmlBlock (text), savedValues);
          } },

        { "another tag", true, [] (Random& random, const Seed&)
          {
              // Only the size step counts; without one it becomes 0.
              if (below (random, 2) == 0)
                  return applies (stateBlockWithElement ("<Settings Mix=\"0.9\" sizechanger=\"1\"/>"), with (heldValues, "sizechanger", 1.0));
              return applies (stateBlockWithElement ("<Settings Mix=\"0.9\"/>"), with (heldValues, "sizechanger", 0.0));
          } },

        { "mutations of JUCE's trailer", true, [] (Random& random, const Seed& seed)
          {
              auto block = seed.saved;
              block.append (seed.trailer.getData(), seed.trailer.getSize());
              for (auto flips = 1 + below (random, 4); flips > 0 && seed.trailer.getSize() > 0; --flips)
                  block[seed.saved.getSize() + below (random, seed.trailer.getSize())] = static_cast<char> (random());
              return either (block);
          } },
    };

    return kinds;
}

/** The text of a block for a failure message: its start, with bytes that are not printable
    ASCII written as \xNN. */
inline std::string preview (const juce::MemoryBlock& block)
{
    std::string result;
    const auto* bytes = static_cast<const unsigned char*> (block.getData());

    for (size_t i = 0; i < std::min<size_t> (block.getSize(), 160); ++i)
    {
        if (bytes[i] >= 32 && bytes[i] < 127)
            result += static_cast<char> (bytes[i]);
        else
            result += "\\x" + juce::String::toHexString (static_cast<int> (bytes[i])).paddedLeft ('0', 2).toStdString();
    }

    return result + (block.getSize() > 160 ? "... (" + std::to_string (block.getSize()) + " bytes)" : "");
}

/** Fewer rounds where every step costs many times more: Debug's JUCE and the sanitizers. */
inline int scaledRounds (int releaseRounds)
{
#if JUCE_DEBUG || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return releaseRounds / 5;
#else
    return releaseRounds;
#endif
}
} // namespace echovane::testing::statefuzz
