// tavrolin-service as a process: its first line, its port, its clean stop,
// its refusal of a wrong command line.
#include <gtest/gtest.h>

#include <regex>

#include "tests/net/http_fetch.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"

namespace tav::testing {
namespace {

TEST(ServiceStartTest, FirstLineNamesTheChosenPort) {
  ServiceContent content;
  ServiceProcess service(content.root());
  ASSERT_TRUE(service.ok()) << service.first_line();
  EXPECT_TRUE(
      std::regex_match(service.first_line(), std::regex(R"(listening on 127\.0\.0\.1:\d+)")))
      << service.first_line();
  EXPECT_EQ(Fetch(service.url("/rpc/getlastupdatecxw")).status, 200);
}

TEST(ServiceStartTest, StopsCleanlyOnSigterm) {
  ServiceContent content;
  ServiceProcess service(content.root());
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(service.Stop(), 0);
}

TEST(ServiceStartTest, StopsWhenItsInputEnds) {
  ServiceContent content;
  ServiceProcess service(content.root());
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(service.EndInput(), 0);
}

TEST(ServiceStartTest, StopsCleanlyWhileAnAnswerIsDelayed) {
  ServiceContent content;
  ServiceProcess service(content.root());
  ASSERT_TRUE(service.ok());
  ASSERT_TRUE(
      service.SetFaults({{"rules", {{{"path", "/rpc/getlastupdatecxw"}, {"delay_ms", 60000}}}}}));
  FetchOptions quick;
  quick.timeout_ms = 300;
  EXPECT_NE(Fetch(service.url("/rpc/getlastupdatecxw"), quick).curl_code, 0);
  EXPECT_EQ(service.Stop(), 0);
}

TEST(ServiceStartTest, TwoServicesGetTwoPorts) {
  ServiceContent content;
  ServiceProcess first(content.root(), {"--access-log", content.root() + "/first.log"});
  ServiceProcess second(content.root(), {"--access-log", content.root() + "/second.log"});
  ASSERT_TRUE(first.ok());
  ASSERT_TRUE(second.ok());
  EXPECT_NE(first.port(), second.port());
}

struct BadArguments {
  std::vector<std::string> args;
  std::string message;
};

TEST(ServiceStartTest, RefusesAWrongCommandLine) {
  const BadArguments rows[] = {
      {{}, "--content is required"},
      {{"--content"}, "needs a value"},
      {{"--content", "/tmp", "--port", "70000"}, "--port needs a number"},
      {{"--content", "/tmp", "--colour", "red"}, "unknown option"},
  };
  for (const BadArguments& row : rows) {
    const ServiceRun result = RunService(row.args);
    EXPECT_EQ(result.exit_code, 2) << ::testing::PrintToString(row.args);
    EXPECT_NE(result.err.find(row.message), std::string::npos)
        << ::testing::PrintToString(row.args) << ": " << result.err;
  }
}

TEST(ServiceStartTest, AFaultsFileThatIsNotJsonStopsTheStart) {
  ServiceContent content;
  const std::string faults = content.AddFile("faults.json", "{rules");
  const ServiceRun result = RunService({"--content", content.root(), "--faults", faults});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("not valid JSON"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tav::testing
