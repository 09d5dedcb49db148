// Headless clock: a fake millisecond clock that only tests move.
#include "plat/test.h"
#include "plat/time.h"

#include "internal.h"

namespace {
uint32_t now_ms;
uint64_t counter;
} // namespace

uint32_t PLAT_TimeMs() { return now_ms; }
uint64_t PLAT_Counter() { return counter; }
uint64_t PLAT_CounterFrequency() { return 1000000; }

// Sleeping moves the fake clock, so code that waits for time to pass still finishes.
void PLAT_Sleep(uint32_t ms) { test::AdvanceClock(ms); }

void HL_ResetTime()
{
    now_ms = 0;
    counter = 0;
}

namespace test {

void AdvanceClock(uint32_t ms)
{
    now_ms += ms;
    counter += uint64_t(ms) * 1000;
}

void SetClock(uint32_t ms)
{
    now_ms = ms;
    counter = uint64_t(ms) * 1000;
}

void SetPerfCounter(uint64_t value) { counter = value; }

} // namespace test
