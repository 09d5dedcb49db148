// Key scripts: a developer's list of key presses and releases by frame, replayed on the headless
// keyboard. One event a line, "<frame> down|up <key>", frames ascending, "#" starts a comment; keys
// Up Down Left Right Space Escape Alt Ctrl 1 2 3 8 9 0 (with Alt, 8 9 0 choose camera presets).
#pragma once
#include <string>
#include <vector>

namespace kalder_test {

struct KeyEvent {
    int frame;
    bool down;
    int vk; // the virtual-key code
};

// Reads a script. Empty on success; otherwise the refusal "bad key script line <n>: <text>\n".
std::string ParseKeyScript(const std::string &text, std::vector<KeyEvent> &events);
// The same from a file; a file that does not open is refused as "cannot read key script <path>\n".
std::string LoadKeyScript(const std::string &path, std::vector<KeyEvent> &events);
// The script's name of a virtual-key code, "" for a key it does not know.
const char *KeyScriptName(int vk);

// Replays a script frame by frame through test::KeyDown and test::KeyUp.
class KeyScriptPlayer {
public:
    explicit KeyScriptPlayer(std::vector<KeyEvent> events) : events_(std::move(events)) {}
    // Called before the frame's tick: presses and releases the keys of that frame.
    void Apply(int frame);
    // The keys held now, in the script's key order joined by "+", or "-" when none is.
    std::string Held() const;

private:
    std::vector<KeyEvent> events_;
    size_t next_ = 0;
    std::vector<int> held_;
};

} // namespace kalder_test
