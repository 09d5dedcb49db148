// A started 3D library for a test: a zeroed work area of its own, the game's limits, Init_3D done.
// The library's globals outlive the test, so the limits and the area pointers are put back at the end,
// and the light table is emptied at both ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalder_test {

class EngineArea {
public:
    explicit EngineArea(size_t size = 7850000);
    ~EngineArea();
    EngineArea(const EngineArea &) = delete;
    EngineArea &operator=(const EngineArea &) = delete;

    uint8_t *data() { return area_.data(); }
    size_t size() const { return area_.size(); }

private:
    std::vector<uint8_t> area_;
    int32_t saved_tables_;
    int32_t saved_cache_;
};

} // namespace kalder_test
