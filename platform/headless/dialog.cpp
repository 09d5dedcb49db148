// Headless message boxes: recorded for tests and echoed to standard error, never waited on.
#include <cstdio>

#include "plat/dialog.h"
#include "plat/test.h"

#include "internal.h"

namespace {
std::vector<test::MessageBox> boxes;
} // namespace

void PLAT_MessageBox(PLAT_Window *owner, const char *text, const char *title, int icon)
{
    boxes.push_back(test::MessageBox{owner != nullptr, text, title, icon});
    std::fprintf(stderr, "[%s] %s\n", title, text);
    std::fflush(stderr);
}

void HL_ResetDialog() { boxes.clear(); }

namespace test {
const std::vector<MessageBox> &MessageBoxes() { return boxes; }
} // namespace test
