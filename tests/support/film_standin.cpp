// The film player stand-in of the world's film tests (see film_standin.h).
#include "tests/support/film_standin.h"

#include <utility>

#include "films/hnm.h"

namespace {

int32_t open_result;
std::vector<std::string> calls;
std::function<void(const char *)> on_open;

} // namespace

namespace film_standin {

void SetOpenResult(int32_t result) { open_result = result; }
void OnOpen(std::function<void(const char *path)> watcher) { on_open = std::move(watcher); }
const std::vector<std::string> &Calls() { return calls; }

std::vector<std::string> OpenedPaths()
{
    std::vector<std::string> paths;
    const std::string prefix = "HNM_Open ";
    for (const std::string &call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            paths.push_back(call.substr(prefix.size()));
        }
    }
    return paths;
}

void Reset()
{
    calls.clear();
    open_result = 0;
    on_open = nullptr;
}

} // namespace film_standin

int32_t HNM_Open(const char *path)
{
    calls.push_back(std::string("HNM_Open ") + path);
    if (on_open) {
        on_open(path);
    }
    return open_result;
}
void HNM_NextFrame() { calls.emplace_back("HNM_NextFrame"); }
void HNM_Close() { calls.emplace_back("HNM_Close"); }
int32_t HNM_FrameDue() { return 0; }
void HNM_FillStream() { calls.emplace_back("HNM_FillStream"); }
int32_t HNM_DrawsPictures() { return 0; }
