#include "transmit/com_ports.h"

#include <gtest/gtest.h>

#include "fakes/fake_serial_port.h"

namespace kestrel {
namespace {

TEST(ComPorts, ListingKeepsExistingPortsInOrderFromTheFirstNumber) {
    FakeSerialPorts system;
    system.devices = {"COM0", "COM12", "COM3", "COM254", "COM255"};
    EXPECT_EQ(listComPorts(system, 0),
              (std::vector<std::string>{"COM0", "COM3", "COM12", "COM254"}));
    EXPECT_EQ(listComPorts(system, 1), (std::vector<std::string>{"COM3", "COM12", "COM254"}));
    EXPECT_EQ(system.probes.back(), "COM254");
}

TEST(ComPorts, ListingStopsAtThirtyTwoPorts) {
    FakeSerialPorts system;
    for (int n = 1; n <= 40; ++n) system.devices.insert("COM" + std::to_string(n));
    std::vector<std::string> names = listComPorts(system, 1);
    ASSERT_EQ(names.size(), 32u);
    EXPECT_EQ(names.back(), "COM32");
}

}  // namespace
}  // namespace kestrel
