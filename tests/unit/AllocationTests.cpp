#include "EngineFixture.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <random>
#include <string_view>

#include <unistd.h>

namespace
{
// Only the thread that asks is counted, and only while it asks: the rest of the program
// allocates as it likes.
thread_local bool counting = false;
thread_local int allocations = 0;

void noteAllocation() noexcept
{
    if (counting)
        ++allocations;
}
} // namespace

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ECHOVANE_SANITIZER_OWNS_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ECHOVANE_SANITIZER_OWNS_MALLOC 1
#endif
#endif

#if ECHOVANE_SANITIZER_OWNS_MALLOC

// The sanitizers bring their own malloc; they call these hooks for every allocation, whichever
// function asked for it (malloc, calloc, realloc, the aligned ones and operator new).
extern "C" int __sanitizer_install_malloc_and_free_hooks (void (*mallocHook) (const volatile void*, size_t),
                                                          void (*freeHook) (const volatile void*));

namespace
{
void onSanitizerMalloc (const volatile void*, size_t) { noteAllocation(); }
void onSanitizerFree (const volatile void*) {}

const bool hooksInstalled = __sanitizer_install_malloc_and_free_hooks (onSanitizerMalloc, onSanitizerFree) != 0;
} // namespace

#else

// Every C allocation function of this program passes here on its way to glibc's allocator, so
// JUCE's HeapBlock and AudioBuffer (malloc, calloc, realloc) are seen as well as operator new,
// which glibc's C++ library builds on malloc and the aligned functions.
extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);

    void* malloc (size_t size)
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size)
    {
        noteAllocation();
        return __libc_calloc (count, size);
    }

    void* realloc (void* pointer, size_t size)
    {
        noteAllocation();
        return __libc_realloc (pointer, size);
    }

    void* memalign (size_t alignment, size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (size_t alignment, size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* valloc (size_t size)
    {
        noteAllocation();
        return __libc_memalign (static_cast<size_t> (sysconf (_SC_PAGESIZE)), size);
    }

    int posix_memalign (void** result, size_t alignment, size_t size)
    {
        noteAllocation();

        if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
            return EINVAL;

        auto* pointer = __libc_memalign (alignment, size);

        if (pointer == nullptr)
            return ENOMEM;

        *result = pointer;
        return 0;
    }
}

namespace
{
constexpr bool hooksInstalled = true;
} // namespace

#endif

namespace
{
using echovane::testing::Engine;

// The compiler may drop an allocation whose result is never used; these keep them.
void* volatile kept = nullptr;

struct Counted
{
    Counted()
    {
        allocations = 0;
        counting = true;
    }

    ~Counted() { counting = false; }

    int stop()
    {
        counting = false;
        return allocations;
    }
};

TEST (AllocationCounter, SeesEveryWayOfAllocating)
{
    ASSERT_TRUE (hooksInstalled);

    const std::pair<const char*, void (*)()> ways[] = {
        { "malloc", []
          {
              kept = std::malloc (16);
              std::free (kept);
          } },
        { "calloc", []
          {
              kept = std::calloc (4, 16);
              std::free (kept);
          } },
        { "realloc", []
          {
              kept = std::realloc (nullptr, 32);
              std::free (kept);
          } },
        { "aligned_alloc", []
          {
              kept = std::aligned_alloc (64, 128);
              std::free (kept);
          } },
        { "operator new", []
          {
              auto* p = new int (3);
              kept = p;
              delete p;
          } },
        { "juce::HeapBlock", []
          {
              juce::HeapBlock<float> block (100);
              kept = block.get();
          } },
        { "juce::AudioBuffer", []
          {
              juce::AudioBuffer<float> buffer (2, 100);
              kept = buffer.getWritePointer (0);
          } },
    };

    for (const auto& [name, way] : ways)
    {
#if defined(__SANITIZE_THREAD__)
        // ThreadSanitizer's aligned_alloc does not call the allocation hooks; the engine never
        // asks for aligned memory, and the other legs see it.
        if (std::string_view (name) == "aligned_alloc")
            continue;
#endif

        Counted counted;
        way();
        EXPECT_GE (counted.stop(), 1) << name;
    }
}

struct SteadyCase
{
    int blockSize;
    bool milliseconds;
};

class SteadyBlocks : public ::testing::TestWithParam<SteadyCase>
{
};

// Once prepared for its rate and block length, the processor allocates nothing in a block, by
// any allocator, while every parameter moves between blocks, Bypass comes and goes and the host
// resets it now and then.
TEST_P (SteadyBlocks, ProcessBlockAllocatesNothing)
{
    const auto& c = GetParam();
    Engine engine (48000.0, c.blockSize);
    engine.set ("TempoChanger", c.milliseconds ? 1.0f : 0.0f);

    juce::AudioBuffer<float> audio (2, c.blockSize);
    std::mt19937 random (static_cast<unsigned> (c.blockSize));
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < c.blockSize; ++i)
            audio.setSample (ch, i, unit (random) - 0.5f);

    auto& floats = *engine.processor.floatParameters;
    auto& bools = *engine.processor.boolParameters;
    juce::MidiBuffer midi;

    // Settings drawn beforehand, so that the drawing itself is not counted.
    std::vector<float> draws (static_cast<size_t> (200 * 16));

    for (auto& d : draws)
        d = unit (random);

    engine.processBlock (audio);

    Counted counted;

    for (size_t block = 0; block < 200; ++block)
    {
        const auto* d = draws.data() + block * 16;

        for (size_t i = 0; i < floats.size(); ++i)
            asHostParameter (floats[i]).setValue (i == ParameterIndex::feedback ? 0.9f * d[i] : d[i]);

        asHostParameter (bools[ParameterIndex::bypass]).setValue (d[9] < 0.1f ? 1.0f : 0.0f);
        asHostParameter (bools[ParameterIndex::triplet]).setValue (d[10]);
        asHostParameter (bools[ParameterIndex::dotted]).setValue (d[11]);

        if (d[12] < 0.05f)
            engine.processor.reset();

        engine.processor.processBlock (audio, midi);
    }

    EXPECT_EQ (counted.stop(), 0);
}

INSTANTIATE_TEST_SUITE_P (BlockSizes,
                          SteadyBlocks,
                          ::testing::Values (SteadyCase{ 1, false },
                                             SteadyCase{ 64, true },
                                             SteadyCase{ 333, false },
                                             SteadyCase{ 512, true },
                                             SteadyCase{ 4096, false },
                                             SteadyCase{ 8192, true }),
                          [] (const auto& testInfo)
                          { return std::to_string (testInfo.param.blockSize) + (testInfo.param.milliseconds ? "Milliseconds" : "Synced"); });

// Blocks shorter than the one prepared for re-run the preparation at the same rate: that must
// not allocate either.
TEST (SteadyBlocks, ChangingLengthsWithinThePreparedOneAllocateNothing)
{
    Engine engine (48000.0, 4096);
    juce::AudioBuffer<float> audio (2, 4096);
    audio.clear();
    const int lengths[] = { 4096, 0, 1, 333, 4096, 2048 };

    for (auto n : lengths)
    {
        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, 0, n);
        engine.processBlock (block);
    }

    auto& floats = *engine.processor.floatParameters;
    juce::MidiBuffer midi;
    Counted counted;

    for (int pass = 0; pass < 20; ++pass)
    {
        for (auto n : lengths)
        {
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, 0, n);
            asHostParameter (floats[ParameterIndex::dark]).setValue (pass / 20.0f);
            asHostParameter (floats[ParameterIndex::sync]).setValue (pass / 20.0f);
            asHostParameter (floats[ParameterIndex::mix]).setValue (1.0f - pass / 20.0f);
            engine.processor.processBlock (block, midi);
        }
    }

    EXPECT_EQ (counted.stop(), 0);
}
} // namespace
