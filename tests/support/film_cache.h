// The demo's films take most of the time of writing a demo installation (the encoders are exact, not
// quick), and every end-to-end test writes one. Under ctest the films are encoded once per test run:
// KALDER_FILM_CACHE names a folder that the run's first test fills and the others read. Without it
// (a test program run by hand) every film is encoded afresh, so a changed encoder is never hidden.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kalder_test {

// The bytes `make` returns, read from the cache folder under `name` when they are there, else made
// and written there (whole or not at all, so that a test running beside never reads half a film).
std::vector<uint8_t> CachedFilm(const std::string &name, const std::function<std::vector<uint8_t>()> &make);

} // namespace kalder_test
