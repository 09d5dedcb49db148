// Key scripts read and replayed on the headless keyboard (see key_script.h).
#include "tests/support/key_script.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "plat/test.h"

namespace kalder_test {

namespace {

struct KeyName {
    const char *name;
    int vk;
};

// In the order the held keys are listed.
constexpr KeyName kKeys[] = {
    {"Up", 0x26},     {"Down", 0x28}, {"Left", 0x25}, {"Right", 0x27}, {"Space", 0x20}, {"Escape", 0x1B},
    {"Alt", 0x12},    {"Ctrl", 0x11}, {"1", 0x31},    {"2", 0x32},     {"3", 0x33},     {"8", 0x38},
    {"9", 0x39},      {"0", 0x30},
};

int key_code(const std::string &name)
{
    for (const KeyName &key : kKeys) {
        if (name == key.name) {
            return key.vk;
        }
    }
    return -1;
}

// A frame number: decimal digits only, within an int.
bool parse_frame(const std::string &word, int &frame)
{
    if (word.empty() || word.size() > 9 || !std::all_of(word.begin(), word.end(), [](char c) {
            return c >= '0' && c <= '9';
        })) {
        return false;
    }
    frame = int(std::strtol(word.c_str(), nullptr, 10));
    return true;
}

} // namespace

std::string ParseKeyScript(const std::string &text, std::vector<KeyEvent> &events)
{
    events.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    int last_frame = 0;
    while (std::getline(in, line)) {
        number++;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string body = line.substr(0, line.find('#'));
        std::istringstream words(body);
        std::string frame_word, verb, key, extra;
        if (!(words >> frame_word)) {
            continue; // blank or a comment
        }
        KeyEvent event{};
        const bool ok = parse_frame(frame_word, event.frame) && event.frame >= last_frame &&
                        (words >> verb) && (verb == "down" || verb == "up") && (words >> key) &&
                        (event.vk = key_code(key)) >= 0 && !(words >> extra);
        if (!ok) {
            events.clear();
            return "bad key script line " + std::to_string(number) + ": " + line + "\n";
        }
        event.down = verb == "down";
        last_frame = event.frame;
        events.push_back(event);
    }
    return "";
}

std::string LoadKeyScript(const std::string &path, std::vector<KeyEvent> &events)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        events.clear();
        return "cannot read key script " + path + "\n";
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseKeyScript(text.str(), events);
}

const char *KeyScriptName(int vk)
{
    for (const KeyName &key : kKeys) {
        if (key.vk == vk) {
            return key.name;
        }
    }
    return "";
}

void KeyScriptPlayer::Apply(int frame)
{
    while (next_ < events_.size() && events_[next_].frame <= frame) {
        const KeyEvent &event = events_[next_++];
        held_.erase(std::remove(held_.begin(), held_.end(), event.vk), held_.end());
        if (event.down) {
            test::KeyDown(event.vk);
            held_.push_back(event.vk);
        } else {
            test::KeyUp(event.vk);
        }
    }
}

std::string KeyScriptPlayer::Held() const
{
    std::string text;
    for (const KeyName &key : kKeys) {
        if (std::find(held_.begin(), held_.end(), key.vk) != held_.end()) {
            text += text.empty() ? "" : "+";
            text += key.name;
        }
    }
    return text.empty() ? "-" : text;
}

} // namespace kalder_test
