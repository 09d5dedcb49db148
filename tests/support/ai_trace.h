// The creature AI's decisions as text: one line per grouped member and tick, from the records and the
// actions the AI gave. Shared by the scenario test, kdev ai and the fuzz seeds, without GoogleTest.
#pragma once
#include <cstdint>
#include <string>

namespace kalder_test {

// Watches the AI's actions from construction to destruction (it installs the AI's action observer).
class AiTrace {
public:
    AiTrace();
    ~AiTrace();
    AiTrace(const AiTrace &) = delete;
    AiTrace &operator=(const AiTrace &) = delete;

    // The lines of the tick just run, each ending in a newline, e.g.
    // "f=0042 s3 pos=800,135,2431 h=1024 anim=4/-1 st=2 fl=0x003 sq=64 en=1 al=0 tgt=1 act=4";
    // forgets the actions seen.
    std::string Tick(int32_t frame);
};

// The camps, squads and top groups as AI_BuildGroups left them, a line each.
std::string AiGroups();

} // namespace kalder_test
