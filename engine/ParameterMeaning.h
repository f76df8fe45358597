#pragma once

/** What the host parameters' values stand for, beside their table in ParameterIndex.h: every
    host parameter runs from 0 to 1, and the engine, the controls and the saved state all read
    those values through these. Each is written with the exact precision and order of operations
    its users have always taken, because the engine's samples and the read-out's texts depend on
    them to the bit. */
namespace ParameterMeaning
{
/** A bool parameter is on from this value up, as JUCE's AudioParameterBool::get() counts it;
    below it, and not a number, it is off. */
inline constexpr float boolOnFrom = 0.5f;

constexpr bool isOn (float value) noexcept { return value >= boolOnFrom; }

/** "MS" at 1: the longest free delay, and the most milliseconds a typed time may ask for. */
inline constexpr int longestFreeDelayMs = 5000;
inline constexpr float longestFreeDelaySeconds = static_cast<float> (longestFreeDelayMs) / 1000.0f;

/** The free delay time of an "MS" value in single precision, as the engine computes it and the
    read-out shows it: to seconds first, then to milliseconds. The two roundings can land one
    millisecond below the single product "MS" x longestFreeDelayMs, which the read-out writes
    when the mode changes. */
constexpr float freeDelayMs (float msValue) noexcept
{
    return msValue * longestFreeDelaySeconds * 1000.0f;
}

/** The "MS" value of a whole number of milliseconds, divided in double precision, as a typed
    time writes it. */
constexpr float msValueFor (int milliseconds) noexcept
{
    return static_cast<float> (milliseconds / static_cast<double> (longestFreeDelayMs));
}

/** The note values "Sync" chooses from, in whole notes: 1/64 up to 4, each twice the one before,
    all exact in double precision. The engine's synced delay time and the read-out's text both
    come from this table. */
inline constexpr double noteValues[] = { 1.0 / 64.0, 1.0 / 32.0, 1.0 / 16.0, 1.0 / 8.0, 1.0 / 4.0, 1.0 / 2.0, 1.0, 2.0, 4.0 };
inline constexpr int noteCount = static_cast<int> (sizeof (noteValues) / sizeof (noteValues[0]));

/** The index into noteValues of a "Sync" value: trunc (8 x value) in single precision, so that
    only 1 reaches the longest note. Whatever lies beyond the ends goes to the nearer end, and a
    value that is not a number to the shortest note. */
constexpr int noteIndexOf (float syncValue) noexcept
{
    const auto scaled = syncValue * static_cast<float> (noteCount - 1);

    if (! (scaled > 0.0f))
        return 0;

    if (scaled >= static_cast<float> (noteCount - 1))
        return noteCount - 1;

    return static_cast<int> (scaled);
}
} // namespace ParameterMeaning
