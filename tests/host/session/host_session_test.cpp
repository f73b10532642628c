// The add-in session that every front end builds: its refresh walks a list of components as
// the command line and the workbench each walked theirs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/Markers.h"
#include "host/ide/MemoryProject.h"
#include "host/session/AddinSession.h"
#include "support/RecordingSink.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

const std::string kStale = std::string(kBeginMarker) + "\r\n' Procedure: Old\r\n" +
                           std::string(kEndMarker) + "\r\nPublic Sub Go()\r\nEnd Sub\r\n";
const std::string kBare = "Public Sub Go()\r\nEnd Sub\r\n";

// A module without code is passed over, a null entry ends the walk, a module left as it was
// is not counted.
TEST(AddinSession, RefreshWalksTheListUntilItEnds) {
    ui::HeadlessWindows windows;
    test::RecordingSink sink;
    std::vector<std::string> status;
    host::SessionOptions options;
    options.saveOptions = false;
    options.status = [&](std::string_view message) { status.emplace_back(message); };
    host::AddinSession session(windows, &sink, options);
    session.Addin().ReloadOptions({});

    host::MemoryProject project;
    std::vector<VBComponent*> list = {
        &project.AddComponent("Stale", vbext_ct_StdModule, kStale),
        &project.AddComponentWithoutCode("Resources", vbext_ct_ResFile),
        &project.AddComponent("Bare", vbext_ct_StdModule, kBare),
        nullptr,
        &project.AddComponent("Unreached", vbext_ct_StdModule, kStale),
    };
    std::vector<std::size_t> started;
    const auto changed =
        session.Refresh({list.size(), [&](std::size_t i) { return list[i]; }}, Unplaced::Replace,
                        [&](std::size_t i) { started.push_back(i); });

    EXPECT_EQ(changed, 1u);
    EXPECT_EQ(started, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(status, (std::vector<std::string>{"Refreshing Brindle code in Stale",
                                                "Refreshing Brindle code in Bare"}));
    EXPECT_NE(list[0]->CodeModule().Lines(2, 1), "' Procedure: Old");
    EXPECT_EQ(list[4]->CodeModule().Lines(2, 1), "' Procedure: Old");
    EXPECT_TRUE(sink.reported.empty());
}

}  // namespace
}  // namespace brindle
