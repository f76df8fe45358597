#include "EngineFixture.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local int allocations = 0;

void* allocate (std::size_t size)
{
    if (counting)
        ++allocations;

    if (auto* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}
} // namespace

// Every allocation of this test program passes here, so the audio path can be watched.
void* operator new (std::size_t size)
{
    return allocate (size);
}

void* operator new[] (std::size_t size)
{
    return allocate (size);
}

void operator delete (void* p) noexcept
{
    std::free (p);
}

void operator delete[] (void* p) noexcept
{
    std::free (p);
}

void operator delete (void* p, std::size_t) noexcept
{
    std::free (p);
}

void operator delete[] (void* p, std::size_t) noexcept
{
    std::free (p);
}

namespace
{
using echovane::testing::Engine;

TEST (AudioThread, BlocksAllocateNothingOnceTheRateIsPrepared)
{
    for (const auto mode : { 0.0f, 1.0f })
    {
        Engine engine (48000.0, 4096);
        engine.set ("TempoChanger", mode).set ("Drive", 0.3f).set ("Feedback", 0.6f);

        juce::AudioBuffer<float> audio (2, 4096);
        audio.clear();
        const int lengths[] = { 4096, 0, 1, 333, 4096, 2048 };

        // Every length once, so that the later passes find the wet buffer grown already.
        for (auto n : lengths)
        {
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, 0, n);
            engine.processBlock (block);
        }

        counting = true;
        allocations = 0;

        for (int pass = 0; pass < 20; ++pass)
        {
            for (auto n : lengths)
            {
                juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, 0, n);
                engine.set ("Dark", pass / 20.0f).set ("Sync", pass / 20.0f).set ("Mix", 1.0f - pass / 20.0f);
                engine.processBlock (block);
            }
        }

        counting = false;
        EXPECT_EQ (allocations, 0) << "mode " << mode;
    }
}
} // namespace
