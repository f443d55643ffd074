// tavrolin-dbtool build on catalogs of real zip and 7z packages made here,
// read back through the program's own lookup statements and stored forms.
#include <archive.h>
#include <archive_entry.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/archive.h"
#include "core/md5.h"
#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "matching/driver_database.h"
#include "matching/sqlite_database.h"
#include "tests/net/service_content.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/dbtool_run.h"

namespace tav {
namespace {

using ::testing::HasSubstr;
using testing::ReadHost;
using testing::RunDbtool;
using testing::WriteHost;

struct Item {
  std::string path, bytes;
};

void WriteArchive(const std::string& path, bool seven_zip, const std::vector<Item>& items) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  archive* a = archive_write_new();
  seven_zip ? archive_write_set_format_7zip(a) : archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const Item& item : items) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, item.path.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, static_cast<la_int64_t>(item.bytes.size()));
    archive_write_header(a, e);
    archive_write_data(a, item.bytes.data(), item.bytes.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

std::string Utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

const std::u16string kRealtekInf =
    uR"(; Realtek PCIe network adapters
[Version]
Signature   = "$Windows NT$"
Class       = Net
Provider    = %Realtek%
DriverVer   = 03/21/2014,7.083.0321.2014

[Manufacturer]
%Realtek% = Realtek, NTamd64.6.1, NTx86.6.1

[Realtek.NTamd64.6.1]
%Gbe.Desc% = Gbe.ndi, PCI\VEN_10EC&DEV_8168&SUBSYS_84321043&REV_06, PCI\VEN_10EC&DEV_8168
%Fe.Desc%  = Fe.ndi, \
             PCI\VEN_10EC&DEV_8136   ; no compatible ID

[Realtek.NTx86.6.1]
%Gbe.Desc% = Gbe.ndi, PCI\VEN_10EC&DEV_8168&SUBSYS_00000000

[Strings]
Realtek  = "Realtek Semiconductor Corp."
Gbe.Desc = "Realtek PCIe GBE Family Controller"
Fe.Desc  = "Realtek PCIe FE Family Controller"
)";

const char kLogitechInf[] =
    "[Version]\r\nSignature=\"$Windows "
    "NT$\"\r\nProvider=%Mfg%\r\nDriverVer=11/02/2012,5.10.127.0\r\n"
    "[Manufacturer]\r\n%Mfg%=Logi,NTamd64,NTx86\r\n"
    "[Logi.NTamd64]\r\n%Receiver%=Inst,usb\\vid_046d&pid_c52b&mi_00,USB\\Class_03&SubClass_01\r\n"
    "[Logi.NTx86]\r\n%Receiver%=Inst,USB\\VID_046D&PID_C52B&MI_00\r\n"
    "[Strings]\r\nMfg=\"Logitech\"\r\nReceiver=\"Logitech\xAE Unifying Receiver\"\r\n";

class DbtoolBuildTest : public ::testing::Test {
 protected:
  DbtoolBuildTest() {
    catalog_ = folder_.path() + "/catalog";
    WriteArchive(catalog_ + "/7_realtek_lan.zip", false,
                 {{"Win7/rt64win7.inf", Utf16(kRealtekInf)}, {"Win7/rt64win7.sys", "driver"}});
    WriteHost(catalog_ + "/7_realtek_lan.json", R"({"description": "Realtek LAN driver 7.083"})");
    WriteArchive(catalog_ + "/12_logitech_setup.7z", true,
                 {{"setup.exe", "MZ setup"}, {"Drivers/Win7/lgusb.inf", kLogitechInf}});
    WriteHost(catalog_ + "/README.txt", "not a package");
  }

  // Builds into the PC's C:\Tavrolin\Drivers64.db and opens it.
  void Build(std::vector<std::string> extra) {
    const std::string out = pc_.Host("C:\\Tavrolin\\Drivers64.db");
    std::filesystem::create_directories(std::filesystem::path(out).parent_path());
    std::vector<std::string> args = {"build", "--catalog", catalog_, "--out", out};
    args.insert(args.end(), extra.begin(), extra.end());
    const testing::ProgramResult r = RunDbtool(args);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::string error;
    ASSERT_TRUE(db_.Open("C:\\Tavrolin\\Drivers64.db", true, &error)) << error;
  }

  struct Found {
    int64_t in_line;
    std::string date, version, vendor, filename, installer, file_description, device_description,
        filehash;
    int64_t os;
  };
  std::vector<Found> Lookup(std::string_view sql, const std::string& query, int os = 0) {
    SqliteStatement* s = db_.Prepare(sql);
    EXPECT_NE(s, nullptr) << db_.LastError();
    if (!s)
      return {};
    s->Bind(1, query);
    if (os)
      s->Bind(2, int64_t{os});
    std::vector<Found> rows;
    while (s->Step()) {
      rows.push_back({s->Integer("hardid_index_in_line"), s->Text("date"), s->Text("version"),
                      s->Text("vendor"), s->Text("filename"), s->Text("installer"),
                      s->Text("file_description"), s->Text("device_description"),
                      s->Text("filehash"), s->Integer("os")});
    }
    s->Reset();
    return rows;
  }
  std::vector<Found> Full(const std::string& id, int os = 7) {
    return Lookup(driver_sql::kLookupFullOs, TransformHardwareId(PrepareSqlText(id)), os);
  }
  std::vector<Found> Reduced(const std::string& id, int os = 7) {
    return Lookup(driver_sql::kLookupReducedOs, TransformHardwareId(ReduceHardwareId(id)), os);
  }
  int64_t Count(const char* sql) {
    SqliteStatement* s = db_.Prepare(sql);
    EXPECT_TRUE(s && s->Step()) << sql;
    const int64_t n = s ? s->Integer(0) : -1;
    if (s)
      s->Reset();
    return n;
  }
  std::string Md5Of(const std::string& file) {
    // An independent digest of the file's bytes, as md5sum gives it.
    return testing::Md5Hex(ReadHost(catalog_ + "/" + file));
  }

  testing::TempFolder folder_;
  testing::TempMachine pc_;
  std::string catalog_;
  SqliteDatabase db_;
};

TEST_F(DbtoolBuildTest, EveryIdOfEveryModelLineIsARowWithItsPackageFacts) {
  Build({"--arch", "64", "--os", "7", "--date", "2015-06-01"});
  struct Row {
    const char* id;
    int64_t in_line;
    const char* package;
    const char* version;
    const char* date;
    const char* vendor;
    const char* installer;
    const char* file_description;
    const char* device_description;
  };
  const Row rows[] = {
      {"PCI\\VEN_10EC&DEV_8168&SUBSYS_84321043&REV_06", 0, "7_realtek_lan.zip", "7.083.0321.2014",
       "2014-03-21", "REALTEK", "Win7/rt64win7.inf", "Realtek LAN driver 7.083",
       "Realtek PCIe GBE Family Controller"},
      {"PCI\\VEN_10EC&DEV_8168", 1, "7_realtek_lan.zip", "7.083.0321.2014", "2014-03-21", "REALTEK",
       "Win7/rt64win7.inf", "Realtek LAN driver 7.083", "Realtek PCIe GBE Family Controller"},
      {"PCI\\VEN_10EC&DEV_8136", 0, "7_realtek_lan.zip", "7.083.0321.2014", "2014-03-21", "REALTEK",
       "Win7/rt64win7.inf", "Realtek LAN driver 7.083", "Realtek PCIe FE Family Controller"},
      {"USB\\VID_046D&PID_C52B&MI_00", 0, "12_logitech_setup.7z", "5.10.127.0", "2012-11-02",
       "LOGITECH", "setup.exe", "Logitech driver 5.10.127.0", "Logitech\xC2\xAE Unifying Receiver"},
      {"USB\\CLASS_03&SUBCLASS_01", 1, "12_logitech_setup.7z", "5.10.127.0", "2012-11-02",
       "LOGITECH", "setup.exe", "Logitech driver 5.10.127.0", "Logitech\xC2\xAE Unifying Receiver"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    const std::vector<Found> found = Full(row.id);
    ASSERT_EQ(found.size(), 1u);
    const Found& f = found[0];
    EXPECT_EQ(f.in_line, row.in_line);
    EXPECT_EQ(f.filename, FileNameToStored(row.package));
    EXPECT_EQ(FileNameFromStored(f.filename), row.package);
    EXPECT_EQ(f.filehash, Md5Of(row.package));
    EXPECT_EQ(f.version, row.version);
    EXPECT_EQ(f.date, row.date);
    EXPECT_EQ(f.vendor, row.vendor);
    EXPECT_EQ(f.installer, row.installer);
    EXPECT_EQ(f.file_description, row.file_description);
    EXPECT_EQ(f.device_description, row.device_description);
    EXPECT_EQ(f.os, 7);
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM drivers"), 5);
}

TEST_F(DbtoolBuildTest, IdsAreStoredTransformedOnceAndReducedIdsFindTheirRows) {
  Build({"--arch", "64", "--os", "7"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM hardids"),
            Count("SELECT COUNT(DISTINCT hardid) FROM hardids"));
  EXPECT_TRUE(Lookup(driver_sql::kLookupFullOs, "PCI\\VEN_10EC&DEV_8136", 7).empty())
      << "an ID with DEV_ is stored with its digits swapped";
  EXPECT_EQ(Reduced("PCI\\VEN_10EC&DEV_8168&SUBSYS_11111111").size(), 2u);
  EXPECT_EQ(Reduced("USB\\VID_046D&PID_C52B&MI_01").size(), 1u);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM hardids WHERE hardid = 'USB\\VID_046D&PID_C52B'"), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM drivers WHERE hardid_index = hardid_full_index"), 3);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN"
                  " ('hardid_index', 'hardid_full_index', 'ind_col')"),
            0);
}

TEST_F(DbtoolBuildTest, SettingsAndVendorCodes) {
  Build({"--arch", "64", "--os", "7", "--cut", "--date", "2015-06-01"});
  EXPECT_EQ(ReadDatabaseSetting(db_, "date"), "2015-06-01");
  EXPECT_EQ(ReadDatabaseSetting(db_, "plain"), "0");
  EXPECT_EQ(ReadDatabaseSetting(db_, "cut"), "1");
  EXPECT_EQ(ReadDatabaseSetting(db_, "os"), "7");
  // A cut database is read without the OS filter.
  EXPECT_EQ(Lookup(driver_sql::kLookupFull, TransformHardwareId("PCI\\VEN_10EC&DEV_8136")).size(),
            1u);
  EXPECT_EQ(
      Lookup(driver_sql::kLookupReduced, TransformHardwareId("USB\\VID_046D&PID_C52B")).size(), 1u);
  struct Row {
    std::string_view sql;
    const char* code;
    const char* vendor;
  };
  const Row rows[] = {{driver_sql::kPciVendor, "8086", "INTEL"},
                      {driver_sql::kPciVendor, "10EC", "REALTEK"},
                      {driver_sql::kPciVendor, "10DE", "NVIDIA"},
                      {driver_sql::kUsbVendor, "046D", "LOGITECH"}};
  for (const Row& row : rows) {
    SqliteStatement* s = db_.Prepare(row.sql);
    ASSERT_NE(s, nullptr);
    s->Bind(1, row.code);
    ASSERT_TRUE(s->Step()) << row.code;
    EXPECT_EQ(s->Text("vendor"), row.vendor) << row.code;
    s->Reset();
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM ven_vendors WHERE vendor = ''"), 0);
}

TEST_F(DbtoolBuildTest, ASevenZipOutputHoldsTheDatabaseAsThePublishedDriversDb) {
  const std::string out = pc_.Host("C:\\Pack\\Drivers.7z");
  std::filesystem::create_directories(std::filesystem::path(out).parent_path());
  const testing::ProgramResult r = RunDbtool({"build", "--catalog", catalog_, "--out", out,
                                              "--arch", "64", "--os", "7", "--date", "2016-02-29"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // Only the archive is left: the database it was packed from is gone.
  std::vector<std::string> left;
  for (const auto& e :
       std::filesystem::directory_iterator(std::filesystem::path(out).parent_path()))
    left.push_back(e.path().filename().string());
  EXPECT_THAT(left, ::testing::ElementsAre("Drivers.7z"));

  // Unpacked the way the program's updater unpacks it.
  ASSERT_TRUE(UnZipFile("C:\\Pack\\Drivers.7z", "C:\\Unpacked\\", {}));
  std::string error;
  ASSERT_TRUE(db_.Open("C:\\Unpacked\\Drivers.db", true, &error)) << error;
  EXPECT_EQ(ReadDatabaseSetting(db_, "date"), "2016-02-29");
  EXPECT_EQ(Full("PCI\\VEN_10EC&DEV_8136").size(), 1u);
}

TEST_F(DbtoolBuildTest, WithoutAnOsEveryOsTheInfTargetsGetsItsRows) {
  Build({"--arch", "64"});
  EXPECT_EQ(ReadDatabaseSetting(db_, "cut"), "0");
  EXPECT_EQ(ReadDatabaseSetting(db_, "os"), "");
  struct Row {
    int os;
    size_t realtek, logitech;
  };
  const Row rows[] = {{5, 0, 1}, {6, 0, 1}, {7, 1, 1}, {8, 1, 1}, {81, 1, 1}, {10, 1, 1}};
  for (const Row& row : rows) {
    EXPECT_EQ(Full("PCI\\VEN_10EC&DEV_8136", row.os).size(), row.realtek) << "OS " << row.os;
    EXPECT_EQ(Full("USB\\VID_046D&PID_C52B&MI_00", row.os).size(), row.logitech) << "OS " << row.os;
  }
}

TEST_F(DbtoolBuildTest, A32BitDatabaseReadsTheX86Models) {
  Build({"--arch", "32", "--os", "7"});
  EXPECT_EQ(Full("PCI\\VEN_10EC&DEV_8168&SUBSYS_00000000").size(), 1u);
  EXPECT_TRUE(Full("PCI\\VEN_10EC&DEV_8136").empty());
  EXPECT_TRUE(Full("USB\\CLASS_03&SUBCLASS_01").empty());
}

TEST_F(DbtoolBuildTest, BadInputAndArgumentsAreRefusedClearly) {
  const std::string out = folder_.path() + "/out.db";
  const std::string bad = folder_.path() + "/bad";
  WriteHost(bad + "/3_broken.zip", "this is not a zip archive");
  const std::string upper = folder_.path() + "/upper";
  WriteArchive(upper + "/4_Realtek_LAN.zip", false, {{"a.inf", "[Version]\n"}});
  const std::string empty = folder_.path() + "/empty";
  std::filesystem::create_directories(empty);
  struct Row {
    std::vector<std::string> args;
    int exit_code;
    const char* message;
  };
  const Row rows[] = {
      {{"build", "--catalog", folder_.path() + "/missing", "--out", out, "--arch", "64"},
       1,
       "not a folder"},
      {{"build", "--catalog", bad, "--out", out, "--arch", "64"}, 1, "3_broken.zip"},
      {{"build", "--catalog", upper, "--out", out, "--arch", "64"}, 1, "lower case"},
      {{"build", "--catalog", empty, "--out", out, "--arch", "64"}, 1, "no driver package"},
      {{"build", "--catalog", catalog_, "--out", folder_.path() + "/no/such/dir/x.db", "--arch",
        "64"},
       1,
       "x.db"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "64", "--hwdata", empty},
       1,
       "pci.ids"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "16"}, 2, "--arch"},
      {{"build", "--catalog", catalog_, "--out", out}, 2, "--arch"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "64", "--cut"},
       2,
       "--cut needs --os"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "64", "--os", "9"}, 2, "--os"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "64", "--date", "2015-02-30"},
       2,
       "--date"},
      {{"build", "--catalog", catalog_, "--out", out, "--arch", "64", "--os"}, 2, "needs a value"},
      {{"build", "--catalog", catalog_, "--catalog", catalog_}, 2, "twice"},
      {{"frobnicate"}, 2, "unknown command"},
      {{}, 2, "usage"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const testing::ProgramResult r = RunDbtool(rows[i].args);
    EXPECT_EQ(r.exit_code, rows[i].exit_code) << "row " << i << ": " << r.err;
    EXPECT_THAT(r.err, HasSubstr(rows[i].message)) << "row " << i;
  }
  EXPECT_FALSE(std::filesystem::exists(out)) << "a failed build leaves no database";
  const testing::ProgramResult help = RunDbtool({"build", "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("usage: tavrolin-dbtool"));
}

}  // namespace
}  // namespace tav
