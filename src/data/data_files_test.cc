// Reading the host's record files: paths by Windows rules, record access, and each reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

#include "data/client_writer.h"
#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "support/fixture.h"
#include "support/process_state.h"
#include "text/ascii.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(ResolveHostPath, FollowsWindowsNameRules) {
  TempDir dir;
  WriteBytes(dir / "Client", "x");
  WriteBytes(dir / "EMPLOYEE.IDX", "x");
  WriteBytes(dir / "PRLIAB", "x");
  WriteBytes(dir / "prliab", "x");

  struct Case {
    const char* name;
    const char* want;  // leaf name
  } cases[] = {
      {"\\CLIENT.", "Client"},          // trailing dot dropped, case ignored
      {"\\EMPLOYEE.idx", "EMPLOYEE.IDX"},
      {"\\PRLIAB", "PRLIAB"},           // the exact spelling wins over a case match
      {"\\save941.info", "save941.info"},  // nothing there: the module's own spelling
      {"\\report.txt", "report.txt"},
      {"prep.", "prep"},
      {"\\NAME. . ", "NAME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ResolveHostPath(dir.str(), c.name), dir.path() / c.want);
  }
}

TEST(ResolveHostPath, BareNameIsInTheCurrentDirectory) {
  EXPECT_EQ(ResolveHostPath("", "FICA.RAT").parent_path(), fs::path());
  EXPECT_EQ(ResolveHostPath("", "FICA.RAT").filename(), "FICA.RAT");
}

TEST(RecordFile, MissingFileIsCreatedEmpty) {
  TempDir dir;
  RecordFile file(dir / "NEW", 10);
  EXPECT_EQ(file.byte_length(), 0u);
  EXPECT_TRUE(fs::exists(dir / "NEW"));
  EXPECT_EQ(file.Read(1), std::vector<std::uint8_t>(10, 0));
}

TEST(RecordFile, TruncatedLastRecordReadsAsZeros) {
  TempDir dir;
  WriteBytes(dir / "F", "0123456789abc");
  RecordFile file(dir / "F", 10);
  EXPECT_EQ(file.byte_length(), 13u);
  auto r2 = file.Read(2);
  EXPECT_EQ(std::string(r2.begin(), r2.begin() + 3), "abc");
  EXPECT_EQ(std::vector<std::uint8_t>(r2.begin() + 3, r2.end()), std::vector<std::uint8_t>(7, 0));
  EXPECT_EQ(file.Read(3), std::vector<std::uint8_t>(10, 0));
  EXPECT_EQ(file.Read(0), std::vector<std::uint8_t>(10, 0));
  EXPECT_EQ(file.Read(-4), std::vector<std::uint8_t>(10, 0));
}

TEST(RecordFile, ReadsAcrossItsWindowInAnyOrder) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += static_cast<char>('A' + i % 7) + std::string(6, ' ');
  WriteBytes(dir / "BIG", bytes);
  RecordFile file(dir / "BIG", 7);
  for (std::int64_t n : {1, 39999, 9363, 9364, 9365, 2, 40000}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(file.Read(n)[0], static_cast<std::uint8_t>('A' + (n - 1) % 7));
  }
}

// Every byte of every record, whichever way the file is walked: the windows of an ascending walk
// go on from the part of a record the last one held, the others are read afresh. Records of 331
// bytes never end on a window's edge, and the last one is cut short.
TEST(RecordFile, EveryWalkReadsEveryRecordWhole) {
  TempDir dir;
  constexpr std::size_t kLength = 331;
  constexpr std::int64_t kRecords = 700;
  std::string bytes;
  for (std::int64_t n = 1; n <= kRecords; ++n) {
    std::string record = "#" + std::to_string(n) + ":";
    while (record.size() < kLength) record += static_cast<char>('a' + (n + static_cast<std::int64_t>(record.size())) % 26);
    bytes += record;
  }
  bytes.resize(bytes.size() - 100);
  WriteBytes(dir / "EMPLOYEE.fil", bytes);
  auto expected = [&](std::int64_t n) {
    std::vector<std::uint8_t> record(kLength, 0);
    const std::size_t from = static_cast<std::size_t>(n - 1) * kLength;
    for (std::size_t i = 0; i < kLength && from + i < bytes.size(); ++i) record[i] = static_cast<std::uint8_t>(bytes[from + i]);
    return record;
  };

  std::vector<std::int64_t> ascending, descending, every_third, back_and_forth;
  for (std::int64_t n = 1; n <= kRecords; ++n) ascending.push_back(n);
  for (std::int64_t n = kRecords; n >= 1; --n) descending.push_back(n);
  for (std::int64_t n = 1; n <= kRecords; n += 3) every_third.push_back(n);
  for (std::int64_t n = 1; n <= kRecords; n += 150) back_and_forth.insert(back_and_forth.end(), {n + 200, n, n + 1, n + 199, n + 201});
  const struct Walk {
    const char* name;
    const std::vector<std::int64_t>& numbers;
  } walks[] = {{"ascending", ascending}, {"descending", descending}, {"every third", every_third}, {"back and forth", back_and_forth}};
  for (const Walk& walk : walks) {
    SCOPED_TRACE(walk.name);
    RecordFile file(dir / "EMPLOYEE.fil", kLength);
    std::vector<std::uint8_t> scratch(kLength);
    for (std::size_t i = 0; i < walk.numbers.size(); ++i) {
      const std::int64_t n = walk.numbers[i];
      SCOPED_TRACE(n);
      std::vector<std::uint8_t> got;
      if (i % 2 == 0) {
        const std::span<const std::uint8_t> view = file.View(n, scratch);
        got.assign(view.begin(), view.end());
      } else {
        got = file.Read(n);
      }
      ASSERT_EQ(got, expected(n));
    }
  }
}

TEST(RecordFile, FailuresCarryTheirErrorNumbers) {
  TempDir dir;
  fs::create_directory(dir / "CLIENT");
  ASSERT_EQ(::mkfifo((dir / "PRLIAB").c_str(), 0600), 0);
  struct Case {
    fs::path path;
    int number;
  } cases[] = {
      {dir / "CLIENT", kErrPathFileAccess},         // a folder in place of the file
      {dir / "PRLIAB", kErrPathFileAccess},         // a pipe: never opened, so never waited on
      {dir / "missing" / "CLIENT", kErrPathNotFound},  // no such data folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    try {
      RecordFile file(c.path, 151);
      ADD_FAILURE() << "no error";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), c.number);
    }
  }
}

TEST(RecordFile, UnwritableFolderIsPermissionDeniedWhenTheFileIsMissing) {
  TempDir dir;
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.str().c_str(), testing::kNobody, testing::kNobody), 0);
  }
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  // 0: error 70 as the case says; 1: no error; 3: the folder could be written after all;
  // 4: another error number.
  int outcome = testing::RunWithoutPrivileges([&] {
    if (::access(dir.str().c_str(), W_OK) == 0) return 3;
    try {
      RecordFile file(dir / "CLIENT", 151);
      return 1;
    } catch (const RunError& e) {
      return e.number() == kErrPermissionDenied ? 0 : 4;
    }
  });
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(outcome, 0);
}

TEST(ClientFile, ReadsBothRecords) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  spec.client->trade_name = "ACME   ";
  spec.client->ein_suffix = 'A';
  WriteClientFolder(dir.path(), spec);

  ClientFile c = ReadClientFile(dir.str());
  ASSERT_TRUE(c.has_record1);
  EXPECT_EQ(c.employer_name, "ACME TOOL AND DIE CO               ");  // padding kept
  EXPECT_EQ(c.trade_name, "ACME");                                   // trailing blanks dropped
  EXPECT_EQ(c.address.size(), 35u);
  EXPECT_EQ(c.payroll_date, "063005");
  EXPECT_EQ(c.futa_rate, 0.8);
  EXPECT_EQ(c.futa_base, 7000);
  EXPECT_EQ(c.suta_rate, 2.7);
  EXPECT_EQ(c.suta_base, 8000);
  EXPECT_EQ(c.ein, "12-3456789A");
  EXPECT_EQ(c.city_line, "SPRINGFIELD, IL 62704         ");
}

TEST(ClientFile, SuffixByteOf28OrLessIsNotAppended) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient();
  spec.client->ein_suffix = 28;
  WriteClientFolder(dir.path(), spec);
  EXPECT_EQ(ReadClientFile(dir.str()).ein, "12-3456789");
}

TEST(ClientFile, RecordOneAloneStillFillsTheEmployer) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("123105");
  WriteClientFolder(dir.path(), spec);
  std::string bytes = ReadFile(dir / "CLIENT");
  WriteBytes(dir / "CLIENT", bytes.substr(0, 151));

  ClientFile c = ReadClientFile(dir.str(), true);
  EXPECT_TRUE(c.has_record1);
  EXPECT_EQ(c.payroll_date, "123105");
  EXPECT_EQ(c.futa_base, 0);
  EXPECT_EQ(c.city_line, std::string(30, '\0'));
}

TEST(ClientFile, ShortOrMissingFileLeavesRecordOneEmpty) {
  TempDir dir;
  ClientFile missing = ReadClientFile(dir.str());
  EXPECT_FALSE(missing.has_record1);
  EXPECT_TRUE(fs::exists(dir / "CLIENT"));  // created empty by the open
  EXPECT_EQ(fs::file_size(dir / "CLIENT"), 0u);

  WriteBytes(dir / "CLIENT", std::string(150, 'x'));
  ClientFile short_file = ReadClientFile(dir.str());
  EXPECT_FALSE(short_file.has_record1);
  EXPECT_EQ(short_file.payroll_date, "");
}

TEST(ClientFile, FindsAClientFileInAnotherCase) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("093006");
  WriteClientFolder(dir.path(), spec);
  fs::rename(dir / "CLIENT", dir / "client");
  EXPECT_EQ(ReadClientFile(dir.str()).payroll_date, "093006");
  EXPECT_FALSE(fs::exists(dir / "CLIENT"));
}

TEST(PackedAmount, AddsWholeAndHundredthsAsTheyStand) {
  struct Case {
    std::int32_t whole;
    std::uint8_t hundredths;
    double want;
  } cases[] = {
      {12, 34, 12.34}, {-5, 25, -4.75}, {10, 150, 11.5}, {0, 0, 0}, {-1, 0, -1}, {2147483647, 99, 2147483647.99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.whole);
    auto w = static_cast<std::uint32_t>(c.whole);
    std::uint8_t bytes[] = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                            static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 24), c.hundredths};
    EXPECT_DOUBLE_EQ(PackedAmountAt(bytes, 0), c.want);
  }
}

TEST(ExemptCode, SetsTheTwoUnemploymentSwitches) {
  struct Case {
    std::uint8_t code;
    bool suta, futa;
  } cases[] = {{0, true, true}, {1, false, true}, {8, true, false}, {9, false, false}, {'1', true, true}, {255, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.code));
    bool suta = false, futa = false;
    ApplyExemptCode(c.code, suta, futa);
    EXPECT_EQ(suta, c.suta);
    EXPECT_EQ(futa, c.futa);
  }
}

TEST(IndexEntryCount, RoundsHalfToEven) {
  struct Case {
    std::uint64_t size;
    std::int64_t want;
  } cases[] = {{0, 0}, {3, 0}, {4, 0}, {5, 1}, {11, 1}, {12, 2}, {20, 2}, {28, 4}, {8 * 40000, 40000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(IndexEntryCount(c.size), c.want);
  }
}

std::vector<Employee> WalkAll(const std::string& dir, bool with_plans) {
  EmployeeWalk walk(dir, with_plans);
  std::vector<Employee> all;
  Employee e;
  while (walk.Next(e)) all.push_back(e);
  return all;
}

TEST(EmployeeWalk, VisitsTheIndexInOrderWithDuplicatesAndSkipsBadNumbers) {
  TempDir dir;
  ClientFolderSpec spec;
  for (int i = 1; i <= 3; ++i) spec.employees.push_back(PlainEmployee("E" + std::to_string(i), i * 100, i * 1000));
  spec.employees[0].record_number = 3;
  spec.employees[1].record_number = 1;
  spec.employees[2].record_number = 2;
  spec.employees.push_back(spec.employees[1]);  // a second entry for record 1
  WriteClientFolder(dir.path(), spec);
  // Entries for record 0 and record -2 (0xFFFE) lead nowhere and are skipped.
  std::string index = ReadFile(dir / "EMPLOYEE.idx");
  WriteBytes(dir / "EMPLOYEE.idx", std::string("ZERO  \0\0", 8) + index + std::string("NEG   \xFE\xFF", 8));

  auto all = WalkAll(dir.str(), true);
  std::vector<std::int16_t> numbers;
  for (const auto& e : all) numbers.push_back(e.record_number);
  EXPECT_EQ(numbers, (std::vector<std::int16_t>{3, 1, 2, 1}));
  EXPECT_EQ(all[0].key, "E1    ");
  EXPECT_EQ(all[0].amounts_qtd[kWages], 1);
  EXPECT_EQ(all[0].amounts_ytd[kWages], 10);
}

// The layouts checked against bytes placed by hand at their offsets, not through the writer the
// other tests share with the readers.
// The writer numbers employees without a number of their own up to the last record number the
// index holds, and refuses one more rather than wrapping to -32768 (an index entry the run skips,
// its employee silently gone).
TEST(ClientWriter, NextFreeRecordEndsAtTheLastRecordNumber) {
  TempDir dir;
  ClientFolderSpec folder;
  folder.employees.resize(kHighestRecordNumber);
  WriteClientFolder(dir / "full", folder);
  EXPECT_EQ(fs::file_size(dir / "full" / "EMPLOYEE.fil"), kHighestRecordNumber * kEmployeeRecordLength);
  folder.employees.emplace_back();
  EXPECT_THROW(WriteClientFolder(dir / "over", folder), std::runtime_error);
}

TEST(RecordLayouts, FieldsSitAtTheirOffsets) {
  TempDir dir;
  auto put = [](std::string& record, std::size_t offset, std::string_view bytes) {
    record.replace(offset, bytes.size(), bytes);
  };
  std::string client(302, ' ');
  put(client, 0, "EMPLOYER");
  put(client, 35, "TRADE");
  put(client, 70, "STREET");
  put(client, 111, "Z");
  put(client, 120, "093007");
  put(client, 151 + 0, "5.4");
  put(client, 151 + 9, "7000");
  put(client, 151 + 18, ".027");
  put(client, 151 + 27, "9000");
  put(client, 151 + 72, "98-7654321");
  put(client, 151 + 120, "AUSTIN, TX 78701");
  WriteBytes(dir / "CLIENT", client);

  std::string employee(2 * 332, '\0');
  const std::size_t e = 332;  // record 2
  put(employee, e + 0, "KEY002");
  put(employee, e + 6, "SECOND EMPLOYEE");
  put(employee, e + 116, "Y");
  put(employee, e + 165, std::string("\xE9\x04\x00\x00\x00", 5));        // 1257.00
  put(employee, e + 232, std::string("\x10\x27\x00\x00\x32", 5));        // wages 10000.50
  put(employee, e + 232 + 20, std::string("\xFB\xFF\xFF\xFF\x19", 5));   // state withheld -4.75
  put(employee, e + 277 + 5, std::string("\x64\x00\x00\x00\x63", 5));    // year tips 100.99
  put(employee, e + 331, "\x08");
  WriteBytes(dir / "EMPLOYEE.fil", employee);
  WriteBytes(dir / "EMPLOYEE.idx", std::string("KEY002\x02\x00", 8));
  std::string plans(2 * 75, '\0');
  put(plans, 75 + 15 + 5, std::string("\x0A\x00\x00\x00\x05", 5));       // plan 2: 10.05
  WriteBytes(dir / "EMPLOYEE.PLANS", plans);

  ClientFile c = ReadClientFile(dir.str());
  EXPECT_EQ(TrimRight(c.employer_name), "EMPLOYER");
  EXPECT_EQ(c.trade_name, "TRADE");
  EXPECT_EQ(TrimRight(c.address), "STREET");
  EXPECT_EQ(c.payroll_date, "093007");
  EXPECT_EQ(c.futa_rate, 5.4);
  EXPECT_EQ(c.futa_base, 7000);
  EXPECT_EQ(c.suta_rate, 0.027);
  EXPECT_EQ(c.suta_base, 9000);
  EXPECT_EQ(c.ein, "98-7654321Z");
  EXPECT_EQ(TrimRight(c.city_line), "AUSTIN, TX 78701");

  auto all = WalkAll(dir.str(), true);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].record_number, 2);
  EXPECT_EQ(all[0].key, "KEY002");
  EXPECT_EQ(all[0].name, "SECOND EMPLOYEE" + std::string(15, '\0'));
  EXPECT_EQ(all[0].fica_flag, 'Y');
  EXPECT_DOUBLE_EQ(all[0].misc_amount_1, 1257.00);
  EXPECT_DOUBLE_EQ(all[0].amounts_qtd[kWages], 10000.50);
  EXPECT_DOUBLE_EQ(all[0].amounts_qtd[kStateWithheld], -4.75);
  EXPECT_DOUBLE_EQ(all[0].amounts_ytd[kTips], 100.99);
  EXPECT_TRUE(all[0].suta_subject);
  EXPECT_FALSE(all[0].futa_subject);
  EXPECT_DOUBLE_EQ(all[0].plan_amount_a[2], 10.05);
}

TEST(EmployeeWalk, DecodesTheFieldsTheReportsUse) {
  TempDir dir;
  ClientFolderSpec spec;
  EmployeeSpec e = PlainEmployee("K1", 123456, 234567);
  e.name = "A NAME THAT IS EXACTLY 30 CHAR";
  e.fica_flag = 'y';
  e.misc_amount_1 = -475;
  for (int item = 1; item <= kAmountItems; ++item) {
    e.qtd[item] = 100 + item;
    e.ytd[item] = 200 + item;
    e.other[item] = 300 + item;
  }
  e.exempt_code = 9;
  e.plans = {1050, -250, 99};
  spec.employees.push_back(e);
  WriteClientFolder(dir.path(), spec);

  auto all = WalkAll(dir.str(), true);
  ASSERT_EQ(all.size(), 1u);
  const Employee& got = all[0];
  EXPECT_EQ(got.name, "A NAME THAT IS EXACTLY 30 CHAR");
  EXPECT_EQ(got.fica_flag, 'y');  // only a capital Y means subject; the pass decides
  EXPECT_DOUBLE_EQ(got.misc_amount_1, -4.75);
  for (int item = 1; item <= 9; ++item) {
    EXPECT_DOUBLE_EQ(got.amounts_qtd[item], (100 + item) / 100.0);
    EXPECT_DOUBLE_EQ(got.amounts_ytd[item], (200 + item) / 100.0);
  }
  EXPECT_FALSE(got.suta_subject);
  EXPECT_FALSE(got.futa_subject);
  EXPECT_DOUBLE_EQ(got.plan_amount_a[1], 10.5);
  EXPECT_DOUBLE_EQ(got.plan_amount_a[2], -2.5);
  EXPECT_DOUBLE_EQ(got.plan_amount_a[3], 0.99);
}

TEST(EmployeeWalk, PlansBeyondTheFileAreZero) {
  TempDir dir;
  ClientFolderSpec spec;
  for (int i = 1; i <= 3; ++i) {
    EmployeeSpec e = PlainEmployee("E" + std::to_string(i), 100, 100);
    e.plans = {i * 100, 0, 0};
    spec.employees.push_back(e);
  }
  WriteClientFolder(dir.path(), spec);
  std::string plans = ReadFile(dir / "EMPLOYEE.PLANS");

  struct Case {
    std::size_t plans_bytes;
    std::vector<double> want;
  } cases[] = {
      {150, {1, 2, 0}},  // records 1 and 2 only
      {151, {1, 2, 0}},  // record 3 would be a fraction 2.01: 3 > 2.01
      {225, {1, 2, 3}},
      {0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.plans_bytes);
    WriteBytes(dir / "EMPLOYEE.PLANS", plans.substr(0, c.plans_bytes));
    std::vector<double> got;
    for (const auto& e : WalkAll(dir.str(), true)) got.push_back(e.plan_amount_a[1]);
    EXPECT_EQ(got, c.want);
  }
  // Without plans the walk neither reads nor creates the plans file.
  fs::remove(dir / "EMPLOYEE.PLANS");
  for (const auto& e : WalkAll(dir.str(), false)) EXPECT_EQ(e.plan_amount_a[1], 0);
  EXPECT_FALSE(fs::exists(dir / "EMPLOYEE.PLANS"));
}

TEST(EmployeeWalk, PartialPlansRecordCountsAsAFraction) {
  TempDir dir;
  ClientFolderSpec spec;
  EmployeeSpec e = PlainEmployee("E1", 100, 100);
  e.plans = {12345, 0, 0};
  spec.employees.push_back(e);
  WriteClientFolder(dir.path(), spec);
  // 80 bytes: record 1 is whole (1 <= 80 / 75).
  WriteBytes(dir / "EMPLOYEE.PLANS", ReadFile(dir / "EMPLOYEE.PLANS") + "xxxxx");
  EXPECT_DOUBLE_EQ(WalkAll(dir.str(), true)[0].plan_amount_a[1], 123.45);
}

TEST(EmployeeWalk, MissingFilesAreCreatedAndGiveNoEmployees) {
  TempDir dir;
  EXPECT_TRUE(WalkAll(dir.str(), true).empty());
  EXPECT_TRUE(fs::exists(dir / "EMPLOYEE.idx"));
  EXPECT_TRUE(fs::exists(dir / "EMPLOYEE.fil"));
  EXPECT_TRUE(fs::exists(dir / "EMPLOYEE.PLANS"));
}

TEST(EmployeeWalk, IndexPastTheMasterFileGivesZeroRecords) {
  TempDir dir;
  ClientFolderSpec spec;
  EmployeeSpec e = PlainEmployee("E1", 100, 100);
  e.record_number = 7;
  spec.employees.push_back(e);
  WriteClientFolder(dir.path(), spec);
  WriteBytes(dir / "EMPLOYEE.fil", "");
  auto all = WalkAll(dir.str(), true);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].key, std::string(6, '\0'));
  EXPECT_EQ(all[0].amounts_qtd[kWages], 0);
}

TEST(FicaRates, ReadsBothRateNotations) {
  TempDir dir;
  struct Case {
    std::array<std::string, 6> fields;
    FicaRates want;
  } cases[] = {
      {{"6.2", "6.2", "90000", "1.45", "1.45", "0"}, {0.062, 0.062, 90000, 0.0145, 0.0145, 0}},
      {{".062", "0.062", "  94200", ".0145", ".0145", "200000"}, {0.062, 0.062, 94200, 0.0145, 0.0145, 200000}},
      {{"1", "0.9", "12.40", "12.40", "x", ""}, {0.01, 0.9, 12.4, 0.124, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields[0]);
    WriteRatesFile(dir.path(), c.fields);
    FicaRates got = ReadFicaRates(dir.str());
    EXPECT_DOUBLE_EQ(got.ss_rate1, c.want.ss_rate1);
    EXPECT_DOUBLE_EQ(got.ss_rate2, c.want.ss_rate2);
    EXPECT_DOUBLE_EQ(got.ss_base, c.want.ss_base);
    EXPECT_DOUBLE_EQ(got.medicare_rate1, c.want.medicare_rate1);
    EXPECT_DOUBLE_EQ(got.medicare_rate2, c.want.medicare_rate2);
    EXPECT_DOUBLE_EQ(got.second_base, c.want.second_base);
  }
}

TEST(FicaRates, ShortBlankOrMissingFileGivesZeros) {
  TempDir dir;
  FicaRates missing = ReadFicaRates(dir.str());
  EXPECT_EQ(missing.ss_rate1, 0);
  EXPECT_EQ(missing.second_base, 0);
  EXPECT_FALSE(fs::exists(dir / "FICA.RAT"));  // reading never creates it

  WriteBytes(dir / "FICA.RAT", std::string(40, ' '));
  EXPECT_EQ(ReadFicaRates(dir.str()).ss_base, 0);

  WriteBytes(dir / "FICA.RAT", "6.2   6.2   90000   ");  // 20 bytes: the first three values
  FicaRates short_file = ReadFicaRates(dir.str());
  EXPECT_DOUBLE_EQ(short_file.ss_rate2, 0.062);
  EXPECT_DOUBLE_EQ(short_file.ss_base, 90000);
  EXPECT_EQ(short_file.medicare_rate1, 0);
}

TEST(FormulaFile, IsCreatedWhenMissingAndReadWhenPresent) {
  TempDir dir;
  FormulaFile none = ReadFormulaFile(dir.str());
  EXPECT_TRUE(fs::exists(dir / "emp4mula.fil"));
  EXPECT_EQ(fs::file_size(dir / "emp4mula.fil"), 0u);
  EXPECT_EQ(none.fields[0][0], "");

  WriteBytes(dir / "emp4mula.fil", "A,1,x\r\nB\r\nC,3\r\nD,4\r\n");
  FormulaFile f = ReadFormulaFile(dir.str());
  EXPECT_EQ(f.fields[0][0], "A");
  EXPECT_EQ(f.fields[0][1], "1");
  EXPECT_EQ(f.fields[1][0], "B");
  EXPECT_EQ(f.fields[1][1], "");
  EXPECT_EQ(f.fields[2][1], "3");
}

TEST(LiabilityFile, SumsThirtyOneDaySlotsPerMonth) {
  TempDir dir;
  struct Case {
    std::vector<std::pair<int, std::string>> records;  // record number, text
    int count;                                           // records in the file
    std::array<Cents, 3> want;
  } cases[] = {
      {{{1, "100.00"}, {31, "1.01"}}, 31, {10101, 0, 0}},
      {{{32, "5"}, {62, "6"}, {63, "7"}}, 63, {0, 1100, 700}},
      {{{93, "1"}, {94, "2"}, {120, "3"}}, 120, {0, 0, 600}},  // after the 93rd still month 3
      {{{1, "100"}, {2, "-12.50"}}, 2, {8750, 0, 0}},
      {{{1, "abc"}, {2, "   "}}, 2, {0, 0, 0}},
      // Each sum is whole cents after every addition: 0.005 + 0.005 is 0 + 0 (halves to even).
      {{{1, "0.005"}, {2, "0.005"}, {3, "0.015"}}, 3, {2, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    ClientFolderSpec spec;
    std::vector<std::string> records(static_cast<std::size_t>(c.count), "");
    for (const auto& [n, text] : c.records) records[static_cast<std::size_t>(n - 1)] = text;
    spec.liability = records;
    WriteClientFolder(dir.path(), spec);
    EXPECT_EQ(ReadLiabilityMonths(dir.str()), c.want);
  }
}

TEST(LiabilityFile, CountsRecordsBySizeRoundedHalfToEven) {
  TempDir dir;
  // 25 bytes is 2.5 records: 2. 35 bytes is 3.5: 4, the 4th a partial record of 5 bytes.
  WriteBytes(dir / "PRLIAB", "         1         2    3");
  EXPECT_EQ(ReadLiabilityMonths(dir.str())[0], 300);
  WriteBytes(dir / "PRLIAB", "         1         2         3    4");
  EXPECT_EQ(ReadLiabilityMonths(dir.str())[0], 1000);
}

TEST(LiabilityFile, MissingFileIsCreatedAndGivesZeros) {
  TempDir dir;
  EXPECT_EQ(ReadLiabilityMonths(dir.str()), (std::array<Cents, 3>{0, 0, 0}));
  EXPECT_TRUE(fs::exists(dir / "PRLIAB"));
}

}  // namespace
}  // namespace qreport
