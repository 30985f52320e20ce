// --watch's view of its node: present or gone, which drive is there (from sysfs, without
// a command), and what changed between two polls.
#include <gtest/gtest.h>

#include <sys/sysmacros.h>
#include <filesystem>

#include "fake_linux.h"
#include "node_identity.h"

namespace tessaly {
namespace {

using cli::NodeChange;
using cli::NodeIdentity;

TEST(NodeIdentity, ReadFromSysfs) {
    testing::FakeSysfs sysfs;
    testing::FakeCalls calls;
    testing::FakeDevice node;
    node.number = makedev(11, 0);
    calls.devices["/dev/sr0"] = node;
    const auto read = [&] { return cli::ReadNodeIdentity(calls, sysfs.Root(), "/dev/sr0"); };

    sysfs.Write("dev/block/8:0/device/type", "0\n");  // sysfs is there, the drive not
    EXPECT_FALSE(read().present) << "a node left behind";
    sysfs.Write("dev/block/11:0/device/vendor", "VARNOTH \n");
    sysfs.Write("dev/block/11:0/device/model", "CD-R   VW1210A  \n");
    sysfs.Write("dev/block/11:0/device/rev", "1.04\n");
    const NodeIdentity first = read();
    EXPECT_TRUE(first.present);
    EXPECT_NE(first.identity.find("CD-R   VW1210A"), std::string::npos);
    sysfs.Write("dev/block/11:0/device/model", "CD-R   VW2410A  \n");
    EXPECT_NE(read().identity, first.identity) << "another model at the node";
    calls.devices.erase("/dev/sr0");
    EXPECT_FALSE(read().present) << "the node is gone";

    testing::FakeSysfs unmounted;
    calls.devices["/dev/sr0"] = node;
    const NodeIdentity bare = cli::ReadNodeIdentity(calls, unmounted.Root(), "/dev/sr0");
    EXPECT_TRUE(bare.present);
    EXPECT_EQ(bare.identity, "") << "without sysfs the node is all there is";
}

TEST(NodeIdentity, ChangesBetweenPolls) {
    const NodeIdentity a{true, "A"};
    const NodeIdentity b{true, "B"};
    const NodeIdentity unknown{true, ""};
    const NodeIdentity away{false, ""};
    struct Row {
        const char* name;
        const NodeIdentity& watched;
        bool gone;
        const NodeIdentity& now;
        NodeChange change;
    };
    const Row rows[] = {
        {"still there", a, false, a, NodeChange::kNone},
        {"goes away", a, false, away, NodeChange::kGone},
        {"still away", a, true, away, NodeChange::kNone},
        {"comes back", a, true, a, NodeChange::kBack},
        {"another drive comes", a, true, b, NodeChange::kNewDrive},
        {"swapped between two polls", a, false, b, NodeChange::kNewDrive},
        {"back, identity unknown", unknown, true, a, NodeChange::kBack},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cli::CompareNode(row.watched, row.gone, row.now), row.change);
    }
}

}  // namespace
}  // namespace tessaly
