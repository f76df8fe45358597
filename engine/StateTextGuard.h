#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/** Reads a saved project's state block without trusting it. JUCE's XML parser spins for ever on
    some damaged texts, recurses once per nesting level and keeps what it read of an element cut
    short, so a block never reaches it: this reader knows the one element the state holds, works
    in one pass over the text with nothing recursive, and refuses a block that is not exactly
    that element.

    A block is sound, and applied, only when all of these hold; anything else is damaged and
    changes nothing:
    - it is longer than 8 bytes, starts with "VC2!" and announces a text length above 0;
    - the announced text lies wholly inside the block (a cut block is damaged). Bytes after the
      text are not read: the writer's closing zero byte, or whatever a host appended;
    - the text, up to its first zero byte (where JUCE's reading has always ended it), is valid
      UTF-8;
    - the text is one element, with blanks and an XML declaration ("<?xml ...?>", holding no
      "<" or ">") before it and blanks after it, and nothing else: no comment, processing
      instruction, DOCTYPE, CDATA or second element anywhere;
    - the element is "<" name, attributes, then "/>", or ">" with nothing but blanks up to the
      end tag of the same name. It has no child elements and no text;
    - each attribute is a name, "=" and a value in double or single quotes, blanks allowed
      around "=" and between attributes; a value holds no "<", and "&" only as "&amp;", "&lt;",
      "&gt;", "&quot;", "&apos;" or a character reference ("&#65;", "&#x41;") to a character
      other than zero.
    Any tag name and any attributes pass this reader; which ones count is the processor's rule.
    Every block JUCE's writer makes of our element passes, whatever the order of its attributes,
    the case of its tag or the text of its values. */
namespace StateTextGuard
{
/** A sound block's element. It refers to the block's bytes, so it lives no longer than they. */
class StoredElement
{
public:
    explicit StoredElement (std::string_view tagName);

    /** Compares the tag as JUCE's String::equalsIgnoreCase does. */
    bool hasTagIgnoringCase (const char* tag) const;

    /** The text of the first attribute of this name (case counts), references expanded; nothing
        when there is none. */
    std::optional<std::string> attribute (std::string_view name) const;

    void addAttribute (std::string_view name, std::string_view rawValue);

private:
    struct Attribute
    {
        std::string_view name;
        std::string_view rawValue;
    };

    std::string_view tag;
    std::vector<Attribute> attributes;
};

/** The element of a sound block, or nothing when the block is damaged (see above). */
std::optional<StoredElement> readBlock (const void* data, int sizeInBytes);

/** The number at the start of the text, as JUCE's String::getDoubleValue reads it (NaN and
    infinities included), in time bounded by the text's length: JUCE's own reading keeps its
    exponent in an int, which a text of many digits overflows. */
double readNumber (const std::string& text);

/** JUCE's rule for a stored bool: on when the first character after leading blanks is "1",
    "t", "T", "y" or "Y". */
bool readsAsOn (const std::string& text);

/** The attribute as a number (0 when it is missing), or nothing when it is not a number: a
    damaged project cannot put NaN into the engine. Anything else is narrowed to a float range
    wide enough that setValue's own clamping gives the same result as the unbounded value would. */
std::optional<float> readStoredNumber (const StoredElement& element, std::string_view name);
} // namespace StateTextGuard
