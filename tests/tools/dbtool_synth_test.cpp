// tavrolin-dbtool synth: the row count asked for, and a PC whose devices the
// database knows through their complete and reduced IDs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "matching/driver_database.h"
#include "matching/sqlite_database.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/dbtool_run.h"

namespace tav {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using testing::ReadHost;
using testing::RunDbtool;
using testing::WriteHost;

int64_t Rows(SqliteDatabase& db, std::string_view sql, const std::string& id) {
  SqliteStatement* s = db.Prepare(sql);
  if (!s)
    return -1;
  s->Bind(1, id);
  s->Bind(2, int64_t{7});
  int64_t n = 0;
  while (s->Step())
    ++n;
  s->Reset();
  return n;
}

TEST(DbtoolSynthTest, TheDatabaseHasTheRowsAndKnowsEveryDeviceOfItsPc) {
  testing::TempFolder folder;
  testing::TempMachine pc;
  const testing::ProgramResult r =
      RunDbtool({"synth", "--devices", "40", "--rows", "20000", "--out", folder.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  WriteHost(pc.Host("C:\\Synth\\Drivers64.db"), ReadHost(folder.path() + "/Drivers64.db"));
  SqliteDatabase db;
  std::string error;
  ASSERT_TRUE(db.Open("C:\\Synth\\Drivers64.db", true, &error)) << error;
  int64_t count = 0;
  ASSERT_TRUE(CountDriverRows(db, &count));
  EXPECT_EQ(count, 20000);
  EXPECT_EQ(ReadDatabaseSetting(db, "plain"), "0");
  EXPECT_EQ(ReadDatabaseSetting(db, "os"), "7");
  const json profile = json::parse(ReadHost(folder.path() + "/profile.json"));
  ASSERT_EQ(profile["devices"].size(), 40u);
  for (const json& device : profile["devices"]) {
    const std::string id = device["hardware_ids"][0];
    EXPECT_GT(Rows(db, driver_sql::kLookupFullOs, TransformHardwareId(PrepareSqlText(id))), 0)
        << id;
    EXPECT_GT(Rows(db, driver_sql::kLookupReducedOs, TransformHardwareId(ReduceHardwareId(id))), 0)
        << id;
  }
}

TEST(DbtoolSynthTest, ThePcOfTheProfileCanBeMade) {
  testing::TempFolder folder;
  ASSERT_EQ(
      RunDbtool({"synth", "--devices", "25", "--rows", "100", "--out", folder.path()}).exit_code,
      0);
  const json profile = json::parse(ReadHost(folder.path() + "/profile.json"));
  testing::TempMachine pc(profile);
  const testing::ProgramResult devices =
      testing::RunProgram("tavrolin-cli", {"devices"}, pc.root());
  EXPECT_EQ(devices.exit_code, 0) << devices.err;
  EXPECT_THAT(devices.out, ::testing::ContainsRegex("UniqueDevices +25"));
}

TEST(DbtoolSynthTest, BadArguments) {
  testing::TempFolder folder;
  struct Row {
    std::vector<std::string> args;
    const char* message;
  };
  const Row rows[] = {
      {{"synth", "--devices", "0", "--rows", "10", "--out", folder.path()}, "--devices"},
      {{"synth", "--devices", "5", "--rows", "many", "--out", folder.path()}, "--rows"},
      {{"synth", "--devices", "5", "--rows", "10"}, "needs --devices, --rows and --out"},
      {{"synth", "--devices", "5", "--rows", "10", "--out", folder.path(), "--os", "11"}, "--os"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const testing::ProgramResult r = RunDbtool(rows[i].args);
    EXPECT_EQ(r.exit_code, 2) << "row " << i;
    EXPECT_THAT(r.err, HasSubstr(rows[i].message)) << "row " << i;
  }
}

}  // namespace
}  // namespace tav
