#pragma once

#include <cstddef>
#include <string_view>

/** Where each host parameter lives: its position in the processor's floatParameters or
    boolParameters, its ID, its default and its step. What the values mean is beside this table,
    in ParameterMeaning.h. The host sees the floats at indices 0 to 8 and the
    bools at 9 to 12, in this order. The IDs are stored in every saved project and must never
    change; the static_asserts below tie each named index to its ID, so a reordering of either
    side does not compile. */
namespace ParameterIndex
{
enum Float : std::size_t
{
    mix = 0,
    sync,
    feedback,
    balance,
    width,
    drive,
    dark,
    bright,
    ms,
    floatCount
};

enum Bool : std::size_t
{
    bypass = 0,
    triplet,
    tempoChanger,
    dotted,
    boolCount
};

/** The index a parameter listener receives for a parameter. */
constexpr int hostIndex (Float index) noexcept { return static_cast<int> (index); }
constexpr int hostIndex (Bool index) noexcept { return static_cast<int> (floatCount + index); }

/** Every float runs from 0 to 1 in steps of `interval`, where anyValue takes any value. */
struct FloatSpec
{
    std::string_view id;
    float defaultValue;
    float interval;
};

inline constexpr float hundredths = 0.01f;
inline constexpr float anyValue = 0.0f;

inline constexpr FloatSpec floatSpecs[floatCount] = {
    { "Mix", 0.5f, hundredths },
    { "Sync", 0.6f, hundredths },
    { "Feedback", 0.22f, hundredths },
    { "Balance", 0.5f, hundredths },
    { "Width", 0.0f, hundredths },
    { "Drive", 0.0f, hundredths },
    { "Dark", 0.0f, hundredths },
    { "Bright", 0.0f, hundredths },
    // Typed milliseconds must survive unrounded.
    { "MS", 0.1f, anyValue },
};

inline constexpr std::string_view boolIds[boolCount] = { "Bypass", "Triplet", "TempoChanger", "Dotted" };

static_assert (floatSpecs[mix].id == "Mix");
static_assert (floatSpecs[sync].id == "Sync");
static_assert (floatSpecs[feedback].id == "Feedback");
static_assert (floatSpecs[balance].id == "Balance");
static_assert (floatSpecs[width].id == "Width");
static_assert (floatSpecs[drive].id == "Drive");
static_assert (floatSpecs[dark].id == "Dark");
static_assert (floatSpecs[bright].id == "Bright");
static_assert (floatSpecs[ms].id == "MS");
static_assert (boolIds[bypass] == "Bypass");
static_assert (boolIds[triplet] == "Triplet");
static_assert (boolIds[tempoChanger] == "TempoChanger");
static_assert (boolIds[dotted] == "Dotted");
static_assert (hostIndex (tempoChanger) == 11, "the toggles compare listener indices with 11");
} // namespace ParameterIndex
