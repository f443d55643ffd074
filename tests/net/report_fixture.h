// The reports' tests: the transport fixture with both hosts of the program
// pointed at the service, and the service's uploads folder read back.
#pragma once

#include <string>
#include <vector>

#include "tests/net/transport_fixture.h"

namespace tav::testing {

class ReportTest : public TransportTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Points one host elsewhere (a closed loopback port, say) and reloads.
  void SetHosts(const std::string& service_host, const std::string& download_host);

  // The files the service stored for a kind ("snapshots", "driverstats"),
  // by name, in the order they arrived.
  std::vector<std::string> Uploaded(const std::string& kind) const;
  std::string UploadedBytes(const std::string& kind, const std::string& name) const;
  // The lines of the service's install-ping record.
  std::vector<std::string> Installs() const;
};

// A loopback address nothing listens on: a request there fails at once.
inline constexpr const char* kClosedHost = "127.0.0.1:9";

}  // namespace tav::testing
