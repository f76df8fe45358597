#include "StateTextGuard.h"

#include <cmath>

namespace
{
// JUCE's number reader accumulates an exponent in an int; a damaged project with thousands of
// exponent digits would overflow it. Any exponent of five or more digits is out of double's
// range anyway, so it is shortened to one that reads as the same infinity or zero.
juce::String withTameExponents (const juce::String& text)
{
    juce::String result;
    auto p = text.getCharPointer();

    while (! p.isEmpty())
    {
        const auto c = p.getAndAdvance();
        result += juce::String::charToString (c);

        if (c != 'e' && c != 'E')
            continue;

        if (*p == '+' || *p == '-')
            result += juce::String::charToString (p.getAndAdvance());

        while (*p == '0' && p[1] >= '0' && p[1] <= '9')
            ++p;

        auto digits = p;
        int count = 0;

        while (digits.isDigit())
        {
            ++digits;
            ++count;
        }

        if (count > 4)
        {
            result += "99999";
            p = digits;
        }
    }

    return result;
}
} // namespace

namespace StateTextGuard
{
bool holdsValidText (const void* data, int sizeInBytes)
{
    if (sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != juce::ByteOrder::littleEndianInt ("VC2!"))
        return true; // JUCE refuses it by itself

    const auto announced = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
    const auto* text = static_cast<const char*> (data) + 8;
    return juce::CharPointer_UTF8::isValidString (text, juce::jmin (sizeInBytes - 8, announced));
}

std::optional<float> readStoredNumber (const juce::XmlElement& element, const char* name)
{
    const auto value = element.hasAttribute (name) ? withTameExponents (element.getStringAttribute (name)).getDoubleValue() : 0.0;

    if (std::isnan (value))
        return std::nullopt;

    return static_cast<float> (juce::jlimit (-4.0, 4.0, value));
}
} // namespace StateTextGuard
