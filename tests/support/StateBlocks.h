#pragma once

#include <juce_core/juce_core.h>

#include <string>

namespace echovane::testing
{
/** The text JUCE writes for a new processor's state element, attributes in their saved order. */
inline const std::string defaultStateText =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <Delay Mix=\"0.5\" Sync=\"0.6000000238418579\" "
    "Feedback=\"0.2199999988079071\" Balance=\"0.5\" Width=\"0.0\" Drive=\"0.0\" Dark=\"0.0\" "
    "Bright=\"0.0\" MS=\"0.1000000014901161\" Bypass=\"0.0\" Triplet=\"0.0\" TempoChanger=\"0.0\" "
    "Dotted=\"0.0\" sizechanger=\"1.0\"/>";

/** JUCE's binary XML layout: "VC2!", a little-endian text length, the text, one zero byte. */
inline juce::MemoryBlock binaryXmlBlock (const std::string& text)
{
    juce::MemoryOutputStream out;
    out.write ("VC2!", 4);
    out.writeInt (static_cast<int> (text.size()));
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

/** A whole document around one element, as a saved project would hold it. */
inline juce::MemoryBlock stateBlockWithElement (const std::string& element)
{
    return binaryXmlBlock ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> " + element);
}

inline juce::MemoryBlock rawBlock (const std::string& bytes)
{
    return juce::MemoryBlock (bytes.data(), bytes.size());
}
} // namespace echovane::testing
