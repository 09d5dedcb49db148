// A film player for the world's tests: opening answers what the test scripted and every call is
// recorded, so the film paths of the game tick are watched without real films.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace film_standin {

// What HNM_Open answers: 0 the film does not open, 1 a film without sound, 2 a film with sound.
void SetOpenResult(int32_t result);
// The calls since the last Reset, in order: "HNM_Open <path>", "HNM_Close", "HNM_NextFrame", ...
const std::vector<std::string> &Calls();
// The paths HNM_Open was given, in order.
std::vector<std::string> OpenedPaths();
// Runs inside HNM_Open, before it answers: a test reads there the world as it stands when the film
// opens.
void OnOpen(std::function<void(const char *path)> watcher);
// Forgets the calls and the watcher; HNM_Open answers 0 again.
void Reset();

} // namespace film_standin
