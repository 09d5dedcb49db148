// The whole program on the demo installation, headless: the drives with the demo installation written,
// for the end-to-end tests of the demo level.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/play_run.h"
#include "tests/support/temp_drives.h"

namespace demo_run_test {

struct DemoRunTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;

    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    }
    void TearDown() override
    {
        kalder_test::ResetCore();
        drives.reset();
    }

    // Every line the run wrote down, for a failure's trace.
    static std::string Played(const kalder_test::PlayResult &result)
    {
        std::string played;
        for (const std::string &line : result.lines) {
            played += line + "\n";
        }
        return played;
    }

    // The round of the first line that ends with the text, or -1.
    static int RoundOf(const kalder_test::PlayResult &result, const std::string &text)
    {
        for (const std::string &line : result.lines) {
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) {
                return std::stoi(line.substr(6));
            }
        }
        return -1;
    }
};

} // namespace demo_run_test
