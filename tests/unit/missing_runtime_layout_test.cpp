#include "runtime/missing_runtime_layout.h"
#include "runtime/runtime_folder_choice.h"
#include "runtime/missing_runtime_dialog.h"
#include "runtime/missing_runtime_ids.h"
#include "support/messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "os/os.h"
#include "temp_folder.h"

namespace jl {
namespace {

using testing::TempFolder;

TEST(CentreRect, CentresAndKeepsTheSize) {
    struct Case {
        ScreenRect window;
        ScreenRect reference;
        ScreenRect expected;
    };
    const Case cases[] = {
        {{0, 0, 400, 300}, {0, 0, 1024, 768}, {312, 234, 712, 534}},
        // Odd free space rounds towards the reference's left and top.
        {{10, 10, 401, 301}, {0, 0, 1024, 768}, {316, 238, 707, 529}},
        // Over an owner on a second monitor to the left of the first.
        {{0, 0, 200, 100}, {-1200, 100, -800, 400}, {-1100, 200, -900, 300}},
        // A window larger than the reference hangs over it on both sides.
        {{0, 0, 600, 400}, {100, 100, 300, 300}, {-100, 0, 500, 400}},
    };
    for (const Case& c : cases) {
        const ScreenRect result = centreRect(c.window, c.reference);
        EXPECT_EQ(result, c.expected) << result.left << "," << result.top;
    }
}

TEST(KeepInsideArea, MovesOnlyAsFarAsNeeded) {
    const ScreenRect area{0, 0, 1024, 738};  // a task bar below
    struct Case {
        ScreenRect window;
        ScreenRect expected;
    };
    const Case cases[] = {
        {{100, 100, 500, 400}, {100, 100, 500, 400}},      // inside: unchanged
        {{900, 600, 1300, 900}, {624, 438, 1024, 738}},    // over the right and bottom edges
        {{-50, -20, 350, 280}, {0, 0, 400, 300}},          // over the left and top edges
        {{-100, 0, 500, 400}, {0, 0, 600, 400}},           // the larger-than-owner case above
        // Larger than the area: its top left corner, where the caption is, stays visible.
        {{200, 200, 1400, 1000}, {0, 0, 1200, 800}},
    };
    for (const Case& c : cases) {
        const ScreenRect result = keepInsideArea(c.window, area);
        EXPECT_EQ(result, c.expected) << result.left << "," << result.top;
    }
    // A work area that does not start at the origin (a monitor to the left, or a task
    // bar on the left).
    EXPECT_EQ(keepInsideArea({-2000, 50, -1600, 350}, {-1280, 0, 0, 1024}), (ScreenRect{-1280, 50, -880, 350}));
}

TEST(RuntimeFolderChoice, AnEmptyPathIsNeverLookedUpInTheCurrentFolder) {
    // A runtime in the current folder must not make an empty choice valid.
    TempFolder temp;
#ifdef _WIN32
    temp.write(L"bin\\client\\jvm.dll", "library");
#else
    temp.write(L"lib/client/libjvm.so", "library");
#endif
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(temp.path()));
    RuntimeFolderChoice choice(JvmType::Default);
    choice.choose(L"");
    const bool valid = choice.isValid();
    choice.choose(L".");
    std::filesystem::current_path(saved);
    EXPECT_FALSE(valid);
    // The same folder named as such is a runtime folder.
    EXPECT_TRUE(choice.isValid());
}

}  // namespace
}  // namespace jl
