#include "core/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/folders.h"
#include "core/md5.h"
#include "platform/file_system.h"
#include "tests/core/program_machine.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

constexpr time_t kItemTime = 1500000000;  // 2017-07-14 02:40:00 UTC
constexpr uint64_t kItemFileTime = 1500000000ull * 10000000ull + 116444736000000000ull;

struct Item {
  Item(std::string name, std::string content = "", unsigned type = AE_IFREG, std::string link = "")
      : name(std::move(name)), content(std::move(content)), type(type), link(std::move(link)) {}
  std::string name;
  std::string content;
  unsigned type;
  std::string link;  // the target of a symbolic link
};

// Writes an archive with libarchive in the given format ("zip" or "7z").
void WriteArchive(const std::string& native,
                  const std::string& format,
                  const std::vector<Item>& items) {
  archive* a = archive_write_new();
  ASSERT_EQ(format == "zip" ? archive_write_set_format_zip(a) : archive_write_set_format_7zip(a),
            ARCHIVE_OK);
  ASSERT_EQ(archive_write_open_filename(a, native.c_str()), ARCHIVE_OK) << archive_error_string(a);
  for (const Item& item : items) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, item.name.c_str());
    archive_entry_set_filetype(e, item.type);
    archive_entry_set_perm(e, item.type == AE_IFDIR ? 0755 : 0644);
    archive_entry_set_mtime(e, kItemTime, 0);
    if (item.type == AE_IFLNK)
      archive_entry_set_symlink(e, item.link.c_str());
    if (item.type == AE_IFREG)
      archive_entry_set_size(e, static_cast<la_int64_t>(item.content.size()));
    ASSERT_EQ(archive_write_header(a, e), ARCHIVE_OK) << archive_error_string(a);
    if (!item.content.empty()) {
      ASSERT_EQ(archive_write_data(a, item.content.data(), item.content.size()),
                static_cast<la_ssize_t>(item.content.size()));
    }
    archive_entry_free(e);
  }
  ASSERT_EQ(archive_write_close(a), ARCHIVE_OK);
  archive_write_free(a);
}

struct ReadItem {
  std::string content;
  time_t mtime = 0;
};

// Every item of a zip read back with libarchive, by name.
std::map<std::string, ReadItem> ReadZip(const std::string& native) {
  std::map<std::string, ReadItem> items;
  archive* a = archive_read_new();
  archive_read_support_format_zip(a);
  EXPECT_EQ(archive_read_open_filename(a, native.c_str(), 1 << 16), ARCHIVE_OK);
  archive_entry* e = nullptr;
  while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
    ReadItem& item = items[archive_entry_pathname(e)];
    item.mtime = archive_entry_mtime(e);
    char buffer[1 << 16];
    la_ssize_t got;
    while ((got = archive_read_data(a, buffer, sizeof buffer)) > 0) {
      item.content.append(buffer, static_cast<size_t>(got));
    }
  }
  archive_read_free(a);
  return items;
}

struct CentralRecord {
  uint16_t method = 0;
  uint32_t compressed = 0;
};

// The central directory of a zip, read byte by byte (libarchive does not
// tell the stored method and sizes).
std::map<std::string, CentralRecord> ZipDirectoryRecords(const std::string& bytes) {
  auto u16 = [&](size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
  };
  auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
  std::map<std::string, CentralRecord> records;
  for (size_t at = bytes.find("PK\x01\x02"); at != std::string::npos && at + 46 <= bytes.size();
       at = bytes.find("PK\x01\x02", at + 46)) {
    const std::string name = bytes.substr(at + 46, u16(at + 28));
    records[name] = {u16(at + 10), u32(at + 20)};
  }
  return records;
}

size_t RawDeflateSize(const std::string& data, int level) {
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  const size_t size = stream.total_out;
  deflateEnd(&stream);
  return size;
}

// Mildly compressible text: words drawn at random.
std::string WordSoup(size_t size, unsigned seed) {
  static const char* kWords[] = {"driver",        "device", "update", "version", "inf",  "catalog",
                                 "PCI\\VEN_8086", "USB",    "0x",     "signed",  "\r\n", " "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size)
    text += kWords[random() % std::size(kWords)];
  text.resize(size);
  return text;
}

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data)
    c = static_cast<char>(random());
  return data;
}

class ArchiveTest : public ::testing::Test {
 protected:
  static constexpr const char* kDownloads = "C:\\Downloads\\";
  static constexpr const char* kDest = "C:\\Out\\Pack\\";

  void SetUp() override {
    ASSERT_TRUE(platform::CreateDirectory("C:\\Downloads"));
    ASSERT_TRUE(platform::CreateDirectory("C:\\Out"));
  }

  // An archive in the downloads folder; returns its Windows path.
  std::string MakeArchive(const std::string& name,
                          const std::string& format,
                          const std::vector<Item>& items) {
    const std::string path = kDownloads + name;
    WriteArchive(machine_.pc().Host(path), format, items);
    return path;
  }
  std::string Read(const std::string& path) { return machine_.pc().ReadFile(path); }
  bool HostExists(const std::string& windows_path) {
    return fs::exists(fs::symlink_status(machine_.pc().Host(windows_path)));
  }
  std::string Dest(const std::string& relative) { return kDest + relative; }

  testing::ProgramMachine machine_;
};

TEST_F(ArchiveTest, ExtractsZipAnd7zByExtensionInAnyCase) {
  struct Row {
    std::string name;
    std::string format;
  };
  const Row rows[] = {
      {"p.zip", "zip"}, {"P.ZIP", "zip"}, {"p.Zip", "zip"}, {"p.7z", "7z"}, {"P.7Z", "7z"}};
  const std::vector<Item> items = {{"readme.txt", "hello"},
                                   {"x64/", "", AE_IFDIR},
                                   {"x64/deep/driver.sys", Noise(70000, 1)},
                                   {"empty/", "", AE_IFDIR}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string archive = MakeArchive(row.name, row.format, items);
    ASSERT_TRUE(UnZipFile(archive, kDest, nullptr));
    EXPECT_EQ(Read(Dest("readme.txt")), "hello");
    EXPECT_EQ(Read(Dest("x64\\deep\\driver.sys")), items[2].content);
    EXPECT_TRUE(platform::DirectoryExists(Dest("empty")));
    uint64_t created = 0, written = 0;
    ASSERT_TRUE(platform::GetFileTimes(Dest("x64\\deep\\driver.sys"), &created, &written));
    EXPECT_EQ(written, kItemFileTime);
    ASSERT_EQ(platform::ShellDeleteTree(kDest), 0);
  }
}

TEST_F(ArchiveTest, LogsTheCallAndCreatesDestOneLevel) {
  const std::string archive = MakeArchive("p.zip", "zip", {{"a.txt", "a"}});
  ASSERT_TRUE(UnZipFile(archive, kDest, nullptr));
  EXPECT_EQ(testing::ProgramMachine::CountLines(": UnZipFile PARAMS: " + archive + " to " + kDest),
            1u)
      << testing::ProgramMachine::AllLines();
}

TEST_F(ArchiveTest, OtherExtensionExtractsNothingAndSucceeds) {
  const std::string archive = MakeArchive("p.rar", "zip", {{"a.txt", "a"}});
  EXPECT_TRUE(UnZipFile(archive, kDest, nullptr));
  EXPECT_TRUE(platform::DirectoryExists(kDest));
  EXPECT_FALSE(platform::FileExists(Dest("a.txt")));
}

TEST_F(ArchiveTest, RestoresTheArchiveLibraryMarkerFromItsBackup) {
  const std::string program = GetFolders().program;
  ASSERT_TRUE(platform::DeleteFile(program + "7z.dll"));
  machine_.pc().WriteFile(program + "7z.bak", "library");
  const std::string archive = MakeArchive("p.zip", "zip", {{"a.txt", "a"}});
  ASSERT_TRUE(UnZipFile(archive, kDest, nullptr));
  EXPECT_EQ(Read(program + "7z.dll"), "library");
}

TEST_F(ArchiveTest, PresentArchiveLibraryMarkerIsKept) {
  const std::string program = GetFolders().program;
  const std::string marker = Read(program + "7z.dll");
  machine_.pc().WriteFile(program + "7z.bak", "older library");
  const std::string archive = MakeArchive("p.zip", "zip", {{"a.txt", "a"}});
  ASSERT_TRUE(UnZipFile(archive, kDest, nullptr));
  EXPECT_EQ(Read(program + "7z.dll"), marker);
}

TEST_F(ArchiveTest, ProgressGivesTheTotalFirstThenBytesDoneUpToIt) {
  for (const std::string format : {"zip", "7z"}) {
    SCOPED_TRACE(format);
    const std::vector<Item> items = {
        {"a.bin", Noise(3 * 1024 * 1024 + 5, 2)}, {"b.txt", WordSoup(200000, 3)}, {"c.txt", ""}};
    const std::string archive = MakeArchive("p." + format, format, items);
    std::vector<std::pair<bool, uint64_t>> calls;
    ASSERT_TRUE(UnZipFile(archive, kDest, [&](bool is_total, uint64_t value) {
      calls.emplace_back(is_total, value);
      return true;
    }));
    const uint64_t total = items[0].content.size() + items[1].content.size();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), std::make_pair(true, total));
    for (size_t i = 1; i < calls.size(); ++i) {
      EXPECT_FALSE(calls[i].first) << "call " << i;
      EXPECT_GE(calls[i].second, calls[i - 1].second * (i > 1)) << "call " << i;
    }
    EXPECT_EQ(calls.back().second, total);
  }
}

TEST_F(ArchiveTest, ProgressReturningFalseFailsRetriesAndThrows) {
  const std::string archive =
      MakeArchive("p.zip", "zip", {{"a.bin", Noise(2 * 1024 * 1024, 4)}, {"b.bin", "b"}});
  int totals = 0;
  EXPECT_THROW(UnZipFile(archive, kDest,
                         [&](bool is_total, uint64_t) {
                           totals += is_total;
                           return is_total;  // stop at the first block
                         }),
               std::runtime_error);
  EXPECT_EQ(totals, 2);  // the first attempt and the retry
  EXPECT_EQ(testing::ProgramMachine::CountLines(": UnZipFile PARAMS: Extraction failed: "), 1u);
  EXPECT_EQ(testing::ProgramMachine::CountLines("ERROR (): UnZipFile MESS: Common error: "), 1u);
  EXPECT_FALSE(platform::FileExists(Dest("b.bin")));
}

TEST_F(ArchiveTest, BrokenArchiveDeletesDestRetriesThenLogsTheProgramFilesAndThrows) {
  const std::string program = GetFolders().program;
  machine_.pc().WriteFile(program + "7z.bak", "abc");
  const std::string archive = kDownloads + std::string("broken.zip");
  machine_.pc().WriteFile(archive, "PK\x03\x04 this is not a zip archive");
  machine_.pc().WriteFile(Dest("stale.txt"), "from an earlier attempt");

  std::string thrown;
  try {
    UnZipFile(archive, kDest, nullptr);
  } catch (const std::runtime_error& e) {
    thrown = e.what();
  }
  ASSERT_FALSE(thrown.empty());
  EXPECT_FALSE(platform::FileExists(Dest("stale.txt")));
  EXPECT_EQ(testing::ProgramMachine::CountLines(": UnZipFile PARAMS: " + archive + " to " + kDest),
            2u);
  EXPECT_EQ(testing::ProgramMachine::CountLines(": UnZipFile PARAMS: Extraction failed: " + thrown),
            1u)
      << testing::ProgramMachine::AllLines();

  // Every file of the program folder with its digest.
  const std::vector<std::string> lines = testing::ProgramMachine::LogLines();
  const std::string head = "ERROR (): UnZipFile MESS: Common error: " + thrown + ", Files: ";
  const auto common = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.rfind(head, 0) == 0;
  });
  ASSERT_NE(common, lines.end()) << testing::ProgramMachine::AllLines();
  std::vector<platform::FindData> files;
  ASSERT_TRUE(platform::FindFiles(program + "*", &files));
  size_t listed = 0;
  for (const platform::FindData& file : files) {
    if (file.attributes & platform::file_attr::kDirectory)
      continue;
    Md5Digest digest{};
    ASSERT_TRUE(MD5File(program + file.name, &digest));
    EXPECT_NE(common->find(" " + program + file.name + " " + MD5DigestToHex(digest)),
              std::string::npos)
        << file.name;
    ++listed;
  }
  EXPECT_GE(listed, 3u);  // the program, the library marker, its backup
  EXPECT_NE(common->find(" " + program + "7z.bak 900150983cd24fb0d6963f7d28e17f72"),
            std::string::npos);
}

TEST_F(ArchiveTest, BrokenArchiveInsideDestKeepsDest) {
  const std::string archive =
      machine_.pc().WriteFile(Dest("broken.7z"), "7z\xBC\xAF\x27\x1C broken");
  machine_.pc().WriteFile(Dest("keep.txt"), "keep");
  EXPECT_THROW(UnZipFile(archive, kDest, nullptr), std::runtime_error);
  EXPECT_TRUE(platform::FileExists(archive));
  EXPECT_EQ(Read(Dest("keep.txt")), "keep");
}

TEST_F(ArchiveTest, MissingArchiveFailsTwiceAndThrows) {
  EXPECT_THROW(UnZipFile("C:\\Downloads\\none.zip", kDest, nullptr), std::runtime_error);
  EXPECT_EQ(testing::ProgramMachine::CountLines("ERROR (): UnZipFile MESS: Common error: "), 1u);
}

TEST_F(ArchiveTest, UnsafeItemsAreRefusedBeforeAnythingIsWritten) {
  struct Row {
    std::string format;
    Item item;
    std::string outside;  // where the item would land, a Windows path
    std::string logged;   // the name as the archive library reads it
  };
  const Row rows[] = {
      {"zip", {"../x.txt", "bad"}, "C:\\Out\\x.txt", "../x.txt"},
      {"zip", {"sub/../../../x.txt", "bad"}, "C:\\x.txt", "sub/../../../x.txt"},
      {"zip", {"..\\x.txt", "bad"}, "C:\\Out\\x.txt", "../x.txt"},
      {"zip", {"/x.txt", "bad"}, "C:\\x.txt", "/x.txt"},
      {"zip", {"C:\\x.txt", "bad"}, "C:\\x.txt", "C:/x.txt"},
      {"zip", {"C:x.txt", "bad"}, "C:\\x.txt", "C:x.txt"},
      {"zip", {"link", "", AE_IFLNK, "../../Windows"}, "C:\\Out\\Pack\\link", "link"},
      {"7z", {"../x.txt", "bad"}, "C:\\Out\\x.txt", "../x.txt"},
      {"7z", {"link", "", AE_IFLNK, "/etc"}, "C:\\Out\\Pack\\link", "link"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format + " " + row.item.name);
    const std::string archive =
        MakeArchive("unsafe." + row.format, row.format, {{"good.txt", "good"}, row.item});
    const std::string refused =
        "ERROR (): UnZipFile MESS: Unsafe entry refused: " + row.logged + " PARAMS: " + archive;
    const size_t before = testing::ProgramMachine::CountLines(refused);
    EXPECT_THROW(UnZipFile(archive, kDest, nullptr), std::runtime_error);
    EXPECT_FALSE(HostExists(row.outside));
    EXPECT_FALSE(platform::FileExists(Dest("good.txt")));
    EXPECT_GT(testing::ProgramMachine::CountLines(refused), before)
        << testing::ProgramMachine::AllLines();
    platform::ShellDeleteTree(archive);
  }
  EXPECT_FALSE(fs::exists("/x.txt"));
}

TEST_F(ArchiveTest, LockedFileInTheWayIsMovedAsideAndReplaced) {
  machine_.pc().WriteFile(Dest("driver.sys"), "old");
  platform::File holder;
  ASSERT_TRUE(holder.Open(Dest("driver.sys"), platform::File::kRead, platform::File::kShareRead,
                          platform::File::kOpenExisting));
  const std::string archive = MakeArchive("p.zip", "zip", {{"driver.sys", "new"}});
  ASSERT_TRUE(UnZipFile(archive, kDest, nullptr));
  EXPECT_EQ(Read(Dest("driver.sys")), "new");
  EXPECT_EQ(testing::ProgramMachine::CountLines("ERROR (): UnZipFile MESS: TFileStream.Create: "),
            1u);
  EXPECT_EQ(testing::ProgramMachine::CountLines("TFileStream.Create 2: "), 0u);
  std::vector<platform::FindData> aside;
  ASSERT_TRUE(platform::FindFiles(Dest("driver.sys.*.safetodelete"), &aside));
  EXPECT_EQ(aside.size(), 1u);
}

TEST_F(ArchiveTest, FileThatCannotBeCreatedFailsTheExtraction) {
  const std::string too_long(300, 'n');  // longer than a file name may be
  const std::string archive = MakeArchive("p.zip", "zip", {{too_long, "x"}});
  EXPECT_THROW(UnZipFile(archive, kDest, nullptr), std::runtime_error);
  // Both attempts try twice.
  EXPECT_EQ(testing::ProgramMachine::CountLines("ERROR (): UnZipFile MESS: TFileStream.Create: "),
            2u);
  EXPECT_EQ(testing::ProgramMachine::CountLines("ERROR (): UnZipFile MESS: TFileStream.Create 2: "),
            2u);
}

class ZipWriteTest : public ArchiveTest {};

TEST_F(ZipWriteTest, ZipFileWithNoExistingFileLeavesTheArchiveAlone) {
  const std::string archive = machine_.pc().WriteFile("C:\\Downloads\\work.zip", "old archive");
  EXPECT_FALSE(ZipFile({"C:\\Downloads\\missing1.ini", "C:\\Nowhere\\missing2.log"}, archive));
  EXPECT_FALSE(ZipFile({}, archive));
  EXPECT_EQ(Read(archive), "old archive");
}

TEST_F(ZipWriteTest, ZipFileStoresTheFilesUnderBareNamesAtLevelFive) {
  const std::string soup = WordSoup(300000, 5);
  const std::string one = machine_.pc().WriteFile("C:\\Work\\Devices.ini", soup);
  const std::string two = machine_.pc().WriteFile("C:\\Work\\Logs\\program.log", "log");
  ASSERT_TRUE(platform::SetLastWriteTime(one, kItemFileTime));
  const std::string archive = machine_.pc().WriteFile("C:\\Downloads\\work.zip", "old archive");

  ASSERT_TRUE(ZipFile({one, "C:\\Work\\missing.dul", two}, archive));

  const std::map<std::string, ReadItem> items = ReadZip(machine_.pc().Host(archive));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items.at("Devices.ini").content, soup);
  EXPECT_EQ(items.at("Devices.ini").mtime, kItemTime);
  EXPECT_EQ(items.at("program.log").content, "log");

  const std::map<std::string, CentralRecord> records = ZipDirectoryRecords(Read(archive));
  ASSERT_EQ(records.count("Devices.ini"), 1u);
  EXPECT_EQ(records.at("Devices.ini").method, 8);  // deflate
  // The data tell the levels apart; level 5 is what was written.
  ASSERT_NE(RawDeflateSize(soup, 5), RawDeflateSize(soup, 1));
  ASSERT_NE(RawDeflateSize(soup, 5), RawDeflateSize(soup, 9));
  EXPECT_EQ(records.at("Devices.ini").compressed, RawDeflateSize(soup, 5));
}

TEST_F(ZipWriteTest, ZipDirectoryStoresTheTreeUnderTheFolderName) {
  const std::string soup = WordSoup(100000, 6);
  machine_.pc().WriteFile("C:\\Backup\\2024-01-05\\list.ini", "list");
  machine_.pc().WriteFile("C:\\Backup\\2024-01-05\\Net\\e1c.inf", soup);
  machine_.pc().WriteFile("C:\\Backup\\2024-01-05\\Net\\x64\\e1c.sys", "sys");
  ASSERT_TRUE(platform::SetLastWriteTime("C:\\Backup\\2024-01-05\\list.ini", kItemFileTime));
  const std::string archive = machine_.pc().WriteFile("C:\\Downloads\\backup.zip", "old archive");

  ASSERT_TRUE(ZipDirectory("C:\\Backup\\2024-01-05\\", archive));

  const std::map<std::string, ReadItem> items = ReadZip(machine_.pc().Host(archive));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items.at("2024-01-05/list.ini").content, "list");
  EXPECT_EQ(items.at("2024-01-05/list.ini").mtime, kItemTime);
  EXPECT_EQ(items.at("2024-01-05/Net/e1c.inf").content, soup);
  EXPECT_EQ(items.at("2024-01-05/Net/x64/e1c.sys").content, "sys");
  EXPECT_EQ(ZipDirectoryRecords(Read(archive)).at("2024-01-05/Net/e1c.inf").compressed,
            RawDeflateSize(soup, 5));
}

TEST_F(ZipWriteTest, ZipDirectoryOfAMissingFolderFails) {
  const std::string archive = machine_.pc().WriteFile("C:\\Downloads\\backup.zip", "old archive");
  EXPECT_FALSE(ZipDirectory("C:\\Backup\\missing", archive));
  EXPECT_EQ(Read(archive), "old archive");
}

TEST_F(ZipWriteTest, ZippedFolderExtractsToTheSameFiles) {
  machine_.pc().WriteFile("C:\\Drivers\\Pack\\a.inf", "inf");
  machine_.pc().WriteFile("C:\\Drivers\\Pack\\x64\\a.sys", Noise(100000, 8));
  ASSERT_TRUE(ZipDirectory("C:\\Drivers\\Pack", "C:\\Downloads\\pack.zip"));
  ASSERT_TRUE(UnZipFile("C:\\Downloads\\pack.zip", "C:\\Out\\Copy", nullptr));
  EXPECT_EQ(Read("C:\\Out\\Copy\\Pack\\a.inf"), "inf");
  EXPECT_EQ(Read("C:\\Out\\Copy\\Pack\\x64\\a.sys"), Read("C:\\Drivers\\Pack\\x64\\a.sys"));
}

}  // namespace
}  // namespace tav
