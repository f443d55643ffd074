// The maker's hosts from the settings key, with their built-in defaults, and
// the host fallback table.
#include "net/service_hosts.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/settings_access.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

struct FallbackRow {
  std::string host;
  std::string fallback;
};

class ServiceHostsTest : public ::testing::Test {
 protected:
  void Set(std::string_view name, std::string_view value) {
    RegWriteString(kSettingsRoot, kSettingsKey, name, value);
  }
  void ExpectFallbacks(const std::vector<FallbackRow>& rows) {
    LoadServiceHosts();
    for (const FallbackRow& row : rows)
      EXPECT_EQ(FallbackHost(row.host), row.fallback) << row.host;
  }
  testing::TempMachine pc_;
};

TEST_F(ServiceHostsTest, DefaultsWithoutSettings) {
  LoadServiceHosts();
  EXPECT_EQ(ServiceHost(), "service.tavrolin.com");
  EXPECT_EQ(DownloadHost(), "download.tavrolin.com");
  ExpectFallbacks({{"service.tavrolin.com", std::string(kFirstServiceAddress)},
                   {"SERVICE.Tavrolin.COM", std::string(kFirstServiceAddress)},
                   {std::string(kFirstServiceAddress), std::string(kSecondServiceAddress)},
                   {std::string(kSecondServiceAddress), ""},
                   {"download.tavrolin.com", std::string(kDownloadAddress)},
                   {"www.tavrolin.com", ""}});
}

TEST_F(ServiceHostsTest, ConfiguredHostsTakeTheirPlaceInTheBuiltInTable) {
  Set("ServiceHost", "127.0.0.1:8080");
  Set("DownloadHost", "files.example.test");
  LoadServiceHosts();
  EXPECT_EQ(ServiceHost(), "127.0.0.1:8080");
  EXPECT_EQ(DownloadHost(), "files.example.test");
  ExpectFallbacks({{"127.0.0.1:8080", std::string(kFirstServiceAddress)},
                   {"files.example.test", std::string(kDownloadAddress)},
                   {"service.tavrolin.com", ""}});
}

TEST_F(ServiceHostsTest, HostFallbacksReplaceTheTable) {
  Set("HostFallbacks", "a.test=127.0.0.1:5000; B.test = b2.test ;broken;=x;e.test=");
  ExpectFallbacks({{"a.test", "127.0.0.1:5000"},
                   {"b.test", "b2.test"},
                   {"broken", ""},
                   {"e.test", ""},
                   {"service.tavrolin.com", ""}});
}

TEST_F(ServiceHostsTest, AnEmptyHostFallbacksValueMeansNoFallback) {
  Set("HostFallbacks", "");
  ExpectFallbacks({{"service.tavrolin.com", ""}, {"download.tavrolin.com", ""}});
}

TEST_F(ServiceHostsTest, EmptyHostValuesKeepTheDefaults) {
  Set("ServiceHost", "  ");
  LoadServiceHosts();
  EXPECT_EQ(ServiceHost(), "service.tavrolin.com");
}

}  // namespace
}  // namespace tav
