// The local address list of the log lines: the machine's IPv4 addresses
// from the platform, filtered.
#include "net/local_addresses.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/network_info.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

struct AddressRow {
  std::vector<std::string> table;
  std::string text;
};

TEST(LocalAddressesTest, FormatTable) {
  const AddressRow rows[] = {
      {{}, ""},
      {{"10.0.0.5"}, "10.0.0.5 "},
      {{"127.0.0.1", "0.0.0.0"}, ""},
      {{"10.0.0.5", "192.168.1.20", "172.16.0.9"}, "10.0.0.5 172.16.0.9 "},
      {{"192.0.2.1", "193.1.1.1"}, "193.1.1.1 "},
      {{"127.0.0.2"}, "127.0.0.2 "},
  };
  for (const AddressRow& row : rows) {
    EXPECT_EQ(FormatLocalAddressList(row.table), row.text) << ::testing::PrintToString(row.table);
  }
}

nlohmann::json Addresses(const std::vector<std::string>& addresses) {
  nlohmann::json profile;
  profile["network"]["ip_addresses"] = addresses;
  return profile;
}

TEST(LocalAddressesTest, TheProfileGivesThePcsAddressesInOrder) {
  testing::TempMachine pc(Addresses(
      {"172.16.5.4", "127.0.0.1", "192.168.0.7", "10.1.2.3", "0.0.0.0", "not an address"}));
  EXPECT_EQ(
      platform::GetIpv4Addresses(),
      (std::vector<std::string>{"0.0.0.0", "10.1.2.3", "127.0.0.1", "172.16.5.4", "192.168.0.7"}));
  ForgetLocalAddressList();
  EXPECT_EQ(LocalAddressList(), "10.1.2.3 172.16.5.4 ");
}

TEST(LocalAddressesTest, WithoutProfileEntryTheHostsInterfacesCount) {
  testing::TempMachine pc;
  const std::vector<std::string> addresses = platform::GetIpv4Addresses();
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
}

TEST(LocalAddressesTest, TheListIsKeptForTheRun) {
  testing::TempMachine first(Addresses({"10.0.0.1"}));
  ForgetLocalAddressList();
  EXPECT_EQ(LocalAddressList(), "10.0.0.1 ");
  testing::TempMachine second(Addresses({"10.0.0.2"}));
  EXPECT_EQ(LocalAddressList(), "10.0.0.1 ");
  ForgetLocalAddressList();
  EXPECT_EQ(LocalAddressList(), "10.0.0.2 ");
}

}  // namespace
}  // namespace tav
