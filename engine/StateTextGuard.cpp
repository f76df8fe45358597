#include "StateTextGuard.h"

#include <cmath>
#include <cstring>

namespace
{
bool isBlank (char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit (char c) noexcept
{
    return c >= '0' && c <= '9';
}

/** JUCE's name characters: letters, digits, "_", "-", ":" and "."; every byte of a non-ASCII
    character counts too, the text being valid UTF-8 by then. */
bool isNameChar (char c) noexcept
{
    const auto byte = static_cast<unsigned char> (c);
    return byte >= 0x80 || isDigit (c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-' || c == ':' || c == '.';
}

/** Strict UTF-8: no stray or missing continuation byte, no overlong form, no surrogate, nothing
    above U+10FFFF. */
bool isValidUtf8 (std::string_view text) noexcept
{
    for (size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char> (text[i]);

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        size_t length = 0;
        juce::uint32 code = 0;
        juce::uint32 smallest = 0;

        if ((lead & 0xe0) == 0xc0)
        {
            length = 2;
            code = lead & 0x1fu;
            smallest = 0x80;
        }
        else if ((lead & 0xf0) == 0xe0)
        {
            length = 3;
            code = lead & 0x0fu;
            smallest = 0x800;
        }
        else if ((lead & 0xf8) == 0xf0)
        {
            length = 4;
            code = lead & 0x07u;
            smallest = 0x10000;
        }
        else
        {
            return false;
        }

        if (text.size() - i < length)
            return false;

        for (size_t k = 1; k < length; ++k)
        {
            const auto byte = static_cast<unsigned char> (text[i + k]);

            if ((byte & 0xc0) != 0x80)
                return false;

            code = (code << 6) | (byte & 0x3fu);
        }

        if (code < smallest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;

        i += length;
    }

    return true;
}

// The longest reference read, ";" included: "#x" and six hex digits with room for leading
// zeros. Looking no further keeps a value full of "&" linear.
constexpr size_t longestReference = 16;

/** Reads the reference starting at `text[position]` ("&") and moves past it; nothing when it is
    not one of XML's five named references or a character reference to a character. */
std::optional<juce::juce_wchar> readReference (std::string_view text, size_t& position) noexcept
{
    const auto end = text.substr (position, longestReference + 1).find (';');

    if (end == std::string_view::npos)
        return std::nullopt;

    const auto name = text.substr (position + 1, end - 1);
    position += end + 1;

    if (name == "amp")
        return '&';
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';

    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;

    const auto hex = name[1] == 'x';
    const auto digits = name.substr (hex ? 2 : 1);

    if (digits.empty())
        return std::nullopt;

    juce::uint64 code = 0;

    for (const auto c : digits)
    {
        const auto value = hex ? juce::CharacterFunctions::getHexDigitValue (static_cast<juce::juce_wchar> (c)) : (isDigit (c) ? c - '0' : -1);

        if (value < 0)
            return std::nullopt;

        code = code * (hex ? 16u : 10u) + static_cast<juce::uint64> (value);
    }

    if (code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return std::nullopt;

    return static_cast<juce::juce_wchar> (code);
}

/** True when every "&" of the value starts a reference readReference accepts. */
bool holdsOnlySoundReferences (std::string_view rawValue) noexcept
{
    for (auto position = rawValue.find ('&'); position != std::string_view::npos; position = rawValue.find ('&', position))
        if (! readReference (rawValue, position))
            return false;

    return true;
}

std::string expandReferences (std::string_view rawValue)
{
    std::string result;
    result.reserve (rawValue.size());

    for (size_t position = 0; position < rawValue.size();)
    {
        if (rawValue[position] != '&')
        {
            result += rawValue[position++];
            continue;
        }

        const auto character = readReference (rawValue, position);
        jassert (character.has_value());
        char utf8[8] = {};
        juce::CharPointer_UTF8 (utf8).write (character.value_or ('&'));
        result += utf8;
    }

    return result;
}

/** One pass over the text of a block, by position; see the header for what it accepts. */
class ElementReader
{
public:
    explicit ElementReader (std::string_view textToRead)
        : text (textToRead)
    {
    }

    std::optional<StateTextGuard::StoredElement> readDocument()
    {
        skipBlanks();

        if (text.substr (position, 5) == "<?xml" && position + 5 < text.size() && isBlank (text[position + 5]))
        {
            const auto end = text.find ("?>", position);

            if (end == std::string_view::npos || text.substr (position + 5, end - position - 5).find_first_of ("<>") != std::string_view::npos)
                return std::nullopt;

            position = end + 2;
            skipBlanks();
        }

        auto element = readElement();
        skipBlanks();

        if (position != text.size())
            return std::nullopt;

        return element;
    }

private:
    std::optional<StateTextGuard::StoredElement> readElement()
    {
        if (! skip ("<"))
            return std::nullopt;

        const auto tag = readName();

        if (tag.empty())
            return std::nullopt;

        StateTextGuard::StoredElement element (tag);

        for (;;)
        {
            skipBlanks();

            if (skip ("/>"))
                return element;

            if (skip (">"))
                break;

            const auto name = readName();

            if (name.empty())
                return std::nullopt;

            skipBlanks();

            if (! skip ("="))
                return std::nullopt;

            skipBlanks();
            const auto value = readQuotedValue();

            if (! value)
                return std::nullopt;

            element.addAttribute (name, *value);
        }

        // Nothing inside: blanks, then the element's own end tag.
        skipBlanks();

        if (! skip ("</") || readName() != tag)
            return std::nullopt;

        skipBlanks();

        if (! skip (">"))
            return std::nullopt;

        return element;
    }

    std::optional<std::string_view> readQuotedValue()
    {
        if (position >= text.size() || (text[position] != '"' && text[position] != '\''))
            return std::nullopt;

        const auto start = position + 1;
        const auto end = text.find (text[position], start);

        if (end == std::string_view::npos)
            return std::nullopt;

        const auto value = text.substr (start, end - start);

        if (value.find ('<') != std::string_view::npos || ! holdsOnlySoundReferences (value))
            return std::nullopt;

        position = end + 1;
        return value;
    }

    std::string_view readName()
    {
        const auto start = position;

        while (position < text.size() && isNameChar (text[position]))
            ++position;

        return text.substr (start, position - start);
    }

    void skipBlanks() noexcept
    {
        while (position < text.size() && isBlank (text[position]))
            ++position;
    }

    bool skip (std::string_view expected) noexcept
    {
        if (text.substr (position, expected.size()) != expected)
            return false;

        position += expected.size();
        return true;
    }

    std::string_view text;
    size_t position = 0;
};

// JUCE's number reading keeps this many significant digits and drops the rest.
constexpr int keptDigits = 18;

// Far beyond any exponent that still gives a finite, non-zero double, and far from overflowing.
constexpr long long exponentCeiling = 1000000000000LL;
} // namespace

namespace StateTextGuard
{
StoredElement::StoredElement (std::string_view tagName)
    : tag (tagName)
{
}

bool StoredElement::hasTagIgnoringCase (const char* tagToCompare) const
{
    return juce::String::fromUTF8 (tag.data(), static_cast<int> (tag.size())).equalsIgnoreCase (tagToCompare);
}

std::optional<std::string> StoredElement::attribute (std::string_view name) const
{
    for (const auto& stored : attributes)
        if (stored.name == name)
            return expandReferences (stored.rawValue);

    return std::nullopt;
}

void StoredElement::addAttribute (std::string_view name, std::string_view rawValue)
{
    attributes.push_back ({ name, rawValue });
}

std::optional<StoredElement> readBlock (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return std::nullopt;

    const auto* bytes = static_cast<const char*> (data);

    if (std::memcmp (bytes, "VC2!", 4) != 0)
        return std::nullopt;

    const auto announced = static_cast<int> (juce::ByteOrder::littleEndianInt (bytes + 4));

    if (announced <= 0 || announced > sizeInBytes - 8)
        return std::nullopt;

    std::string_view text (bytes + 8, static_cast<size_t> (announced));
    text = text.substr (0, text.find ('\0'));

    if (! isValidUtf8 (text))
        return std::nullopt;

    return ElementReader (text).readDocument();
}

double readNumber (const std::string& text)
{
    // JUCE's reading decides everything from its first 18 significant digits, the count of the
    // integer digits it drops and the exponent. Those are handed to it in a short text of the
    // same value, with the dropped digits and the exponent summed without overflow.
    const std::string_view number (juce::CharPointer_UTF8 (text.c_str()).findEndOfWhitespace().getAddress());
    std::string shortText;
    size_t i = 0;

    if (i < number.size() && (number[i] == '+' || number[i] == '-'))
        shortText += number[i++];

    if (i < number.size() && (number[i] == 'n' || number[i] == 'N' || number[i] == 'i' || number[i] == 'I'))
    {
        shortText += number.substr (i, 3);
        return juce::CharacterFunctions::getDoubleValue (juce::CharPointer_UTF8 (shortText.c_str()));
    }

    int kept = 0;
    long long exponent = 0;

    for (; i < number.size() && isDigit (number[i]); ++i)
    {
        if (kept == 0 && number[i] == '0')
        {
            // Leading zeros: one stands for all of them.
            if (shortText.empty() || shortText.back() != '0')
                shortText += '0';
        }
        else if (kept < keptDigits)
        {
            shortText += number[i];
            ++kept;
        }
        else
        {
            exponent = std::min (exponent + 1, exponentCeiling);
        }
    }

    if (i < number.size() && number[i] == '.')
    {
        shortText += number[i++];

        for (; i < number.size() && isDigit (number[i]); ++i)
        {
            if (kept < keptDigits)
            {
                shortText += number[i];
                ++kept;
            }
        }
    }

    if (i < number.size() && (number[i] == 'e' || number[i] == 'E'))
    {
        auto j = i + 1;
        const auto negative = j < number.size() && number[j] == '-';

        if (j < number.size() && (number[j] == '+' || number[j] == '-'))
            ++j;

        long long written = 0;
        const auto digitsStart = j;

        for (; j < number.size() && isDigit (number[j]); ++j)
            written = std::min (written * 10 + (number[j] - '0'), exponentCeiling);

        // Without digits JUCE reads no exponent at all.
        if (j > digitsStart)
            exponent += negative ? -written : written;
    }

    // Beyond +-99999 the result is an infinity or zero either way; JUCE reads five digits safely.
    if (exponent != 0)
        shortText += "e" + std::to_string (juce::jlimit (-99999LL, 99999LL, exponent));

    return juce::CharacterFunctions::getDoubleValue (juce::CharPointer_UTF8 (shortText.c_str()));
}

bool readsAsOn (const std::string& text)
{
    const auto first = *juce::CharPointer_UTF8 (text.c_str()).findEndOfWhitespace();
    return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
}

std::optional<float> readStoredNumber (const StoredElement& element, std::string_view name)
{
    const auto text = element.attribute (name);
    const auto value = text.has_value() ? readNumber (*text) : 0.0;

    if (std::isnan (value))
        return std::nullopt;

    return static_cast<float> (juce::jlimit (-4.0, 4.0, value));
}
} // namespace StateTextGuard
