// The system core's per-round work: queue traffic, arena blocks and one dispatch round.
#include <benchmark/benchmark.h>

#include "core/inp.h"
#include "core/joy.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/win.h"
#include "plat/test.h"
#include "plat/window.h"

static void BM_QueuePostAndDrain(benchmark::State &state)
{
    MGM_Queue *q = QUE_Create(50);
    MGM_Event e;
    for (auto _ : state) {
        for (int i = 0; i < 50; i++) {
            QUE_Post(q, '3', i, 0);
        }
        while (QUE_Read(q, &e)) {
            benchmark::DoNotOptimize(e);
        }
    }
    state.SetItemsProcessed(state.iterations() * 50);
    QUE_Destroy(q);
}
BENCHMARK(BM_QueuePostAndDrain);

static void BM_ArenaAllocFree(benchmark::State &state)
{
    MEM_Stack *arena = MEM_CreateStack(0x172000);
    for (auto _ : state) {
        void *a = MEM_StackAlloc(arena, 0xB0000);
        void *b = MEM_StackAlloc(arena, 640 * 480 * 2);
        benchmark::DoNotOptimize(a);
        MEM_StackFree(arena, b);
        MEM_StackFree(arena, a);
    }
    MEM_DestroyStack(arena);
}
BENCHMARK(BM_ArenaAllocFree);

static uint8_t idle_handler() { return 1; }

static void BM_DispatchRound(benchmark::State &state)
{
    test::Reset();
    WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
    MGM_Create(50, 50);
    MGM_Queue *q = QUE_Create(50);
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(q), reinterpret_cast<intptr_t>(&idle_handler));
    MGM_SendMessage(4);
    MGM_SendMessage(14);
    MGM_SendMessage(12, 200, 15);
    MGM_Event e;
    for (auto _ : state) {
        test::AdvanceClock(16);
        MGM_DispatchMessages();
        while (QUE_Read(q, &e)) {
        }
    }
    MGM_Destroy();
    QUE_Destroy(q);
}
BENCHMARK(BM_DispatchRound);

// One input poll with every device in use: 256 key states, the clock, a stamp, and a joystick and
// pad that change every time.
static void BM_PollAllDevices(benchmark::State &state)
{
    test::Reset();
    test::PlugJoystick(0, 12, true);
    JOY_Init1();
    INP_Init(50);
    INP_StartTimer(200, 15);
    INP_Joystick1On();
    INP_Joystick2On();
    test::KeyDown(0x26);
    MGM_Event e;
    uint32_t x = 0;
    for (auto _ : state) {
        test::AdvanceClock(16);
        test::SetJoystick(0, x++ & 0xFFFF, 32768, 0xFFFF, 0);
        INP_Poll();
        while (QUE_Read(MGM_InputQueue, &e)) {
            benchmark::DoNotOptimize(e);
        }
    }
    INP_Shutdown();
}
BENCHMARK(BM_PollAllDevices);
