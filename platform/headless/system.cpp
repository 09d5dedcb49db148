// Headless process services: a captured standard output, an exit that tests can catch, a heap that
// tests can run out.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "plat/system.h"
#include "plat/test.h"

#include "internal.h"

namespace {
std::string captured_stdout;
std::string captured_stderr;
test::ExitHook exit_hook;
size_t fail_size;
int fail_skip = -1;
size_t heap_blocks;
} // namespace

void PLAT_Exit(int code)
{
    if (exit_hook != nullptr) {
        exit_hook(code);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // _exit: the game's own shutdown has run or been skipped on purpose; nothing else may run now.
    _exit(code);
}

void PLAT_WriteStdout(const char *text) { captured_stdout += text; }

void PLAT_WriteStderr(const char *text) { captured_stderr += text; }

void *PLAT_HeapAlloc(size_t size)
{
    if (fail_skip >= 0 && size == fail_size) {
        if (fail_skip == 0) {
            fail_skip = -1;
            return nullptr;
        }
        fail_skip--;
    }
    void *block = std::malloc(size);
    if (block != nullptr) {
        heap_blocks++;
    }
    return block;
}

void PLAT_HeapFree(void *block)
{
    if (block != nullptr) {
        heap_blocks--;
    }
    std::free(block);
}

void *PLAT_HeapRealloc(void *block, size_t size)
{
    void *moved = std::realloc(block, size);
    if (block == nullptr && moved != nullptr) {
        heap_blocks++;
    }
    return moved;
}

void HL_ResetSystem()
{
    captured_stdout.clear();
    captured_stderr.clear();
    exit_hook = nullptr;
    fail_skip = -1;
    fail_size = 0;
}

namespace test {

const std::string &Stdout() { return captured_stdout; }
size_t HeapBlocksInUse() { return heap_blocks; }
const std::string &Stderr() { return captured_stderr; }
void SetExitHook(ExitHook hook) { exit_hook = hook; }
void ThrowOnExit(int code) { throw ExitCalled{code}; }

void FailHeapAlloc(size_t size, int skip)
{
    fail_size = size;
    fail_skip = skip;
}

} // namespace test
