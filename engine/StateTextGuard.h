#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The defences between a saved project's state block and JUCE's XML and number parsers, which
    trust their input further than a damaged project deserves. */
namespace StateTextGuard
{
/** False when the block's text is not valid UTF-8: JUCE's XML parser walks UTF-8 sequences without
    bounds and reads past the end of text whose last sequence is cut short, so such a block is
    refused before it reaches the parser, as text that does not parse would be. */
bool holdsValidText (const void* data, int sizeInBytes);

/** The attribute as a number (0 when it is missing), or nothing when it is not a number: a
    damaged project cannot put NaN into the engine. Anything else is narrowed to a float range
    wide enough that setValue's own clamping gives the same result as the unbounded value would. */
std::optional<float> readStoredNumber (const juce::XmlElement& element, const char* name);
} // namespace StateTextGuard
