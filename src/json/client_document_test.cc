// The client document: inspect --json then import gives back every record file byte for byte
// (the demo client and a few hundred generated folders with the edge values), every document
// inspect prints is valid under docs/client.schema.json, inspect warns of what the run would
// read as zero or skip and writes nothing, and import names every problem of its input and
// writes nothing then. The document written as the folder is read is the one made in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/demo/demo_client.h"
#include "data/employee_files.h"
#include "json/client_document.h"
#include "json/client_folder_import.h"
#include "json/document_rules.h"
#include "support/fixture.h"

#ifndef QREPORT_DOCS_DIR
#define QREPORT_DOCS_DIR "docs"
#endif

namespace qreport {
namespace {

using testing::ReadFile;
using testing::RunQreport;
using testing::TempDir;
namespace fs = std::filesystem;

std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = ReadFile(entry.path());
  return files;
}

// A generated client folder: texts of every length (empty, full, bytes above 127, NUL), amounts
// at the packed limits and with 99 hundredths, negative amounts, record numbers below 1, shared,
// and now and then the largest.
ClientFolderSpec RandomFolder(std::mt19937& rng, bool largest, std::array<std::string, 6>& rates,
                              std::array<std::string, 5>& letterhead) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto text = [&](std::size_t width) {
    static const std::string alphabet = "ABCXYZ abc019,.-&'\xC9\xE9\xFC\x80\x81\x9D\xFF";
    std::size_t length = pick(4) == 0 ? 0 : (pick(3) == 0 ? width : static_cast<std::size_t>(pick(static_cast<int>(width) + 1)));
    std::string t;
    for (std::size_t i = 0; i < length; ++i) t += pick(40) == 0 ? '\0' : alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
    return t;
  };
  const Cents edges[] = {0, 99, -99, 1299, -475, 100, -1, 21474836479999 / 100, -214748364800, 214748364799};
  auto amount = [&]() -> Cents {
    if (pick(3) == 0) return edges[pick(10)];
    return static_cast<Cents>(rng() % 20000000) - 5000000;
  };
  ClientFolderSpec spec;
  if (pick(8) != 0) {
    ClientSpec c;
    c.employer_name = text(35);
    c.trade_name = text(35);
    c.address = text(35);
    // What import refuses is kept out: the EIN, payroll date and city line are sound ones.
    auto two_digits = [](int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); };
    c.payroll_date = two_digits(1 + pick(12)) + two_digits(1 + pick(28)) + two_digits(pick(100));
    c.ein_suffix = static_cast<std::uint8_t>(pick(29));
    c.futa_rate = text(9);
    c.futa_base = std::to_string(pick(100000));
    c.suta_rate = "2.7";
    c.suta_base = text(9);
    c.ein = std::to_string(10 + pick(90)) + "-" + std::to_string(1000000 + pick(9000000));
    c.city_line = "SPRINGFIELD" + std::string(static_cast<std::size_t>(pick(3)), '\xC9') + ", IL " + std::to_string(10000 + pick(90000));
    spec.client = c;
  }
  int count = pick(10) + (largest ? 1 : 0);
  for (int i = 0; i < count; ++i) {
    EmployeeSpec e;
    int kind = pick(12);
    if (kind == 0) {
      e.record_number = static_cast<std::int16_t>(-pick(3));  // below 1: an index entry only
      e.literal_record_number = true;
    } else if (kind == 1) {
      e.record_number = static_cast<std::int16_t>(1 + pick(4));  // may share a record
    } else if (largest && i + 1 == count) {
      e.record_number = 32767;
    }
    e.key = text(3) + std::to_string(100 + i);  // keys are distinct: a key twice is refused
    e.name = text(30);
    e.fica_flag = "YN"[pick(2)];
    e.exempt_code = static_cast<std::uint8_t>(pick(4) == 0 ? pick(256) : 0);
    e.misc_amount_1 = amount();
    for (int item = 1; item <= kAmountItems; ++item) {
      e.qtd[item] = amount();
      e.ytd[item] = amount();
      e.other[item] = pick(3) == 0 ? amount() : 0;
    }
    for (Cents& p : e.plans) p = pick(2) == 0 ? amount() : 0;
    spec.employees.push_back(e);
  }
  spec.write_plans = pick(5) != 0;
  if (pick(2) == 0) {
    std::vector<std::string> records;
    int days = pick(100);
    for (int d = 0; d < days; ++d) records.push_back(pick(10) == 0 ? text(10) : std::to_string(pick(500000)) + "." + std::to_string(10 + pick(90)));
    spec.liability = records;
  }
  for (std::size_t i = 0; i < 6; ++i) rates[i] = text(i == 2 || i == 5 ? 8 : 6);
  for (std::string& line : letterhead) line = text(30);
  return spec;
}

TEST(ClientDocument, InspectThenImportGivesBackEveryFileByteForByte) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::array<std::string, 6> rates;
    std::array<std::string, 5> letterhead;
    // One folder has the largest record number (a master file of 32,767 records).
    ClientFolderSpec spec = RandomFolder(rng, seed == 7, rates, letterhead);
    TempDir dir;
    WriteClientFolder(dir / "from", spec);
    WriteRatesFile(dir / "from", rates);
    WriteLetterheadFile(dir / "from", letterhead);
    WriteBytes(dir / "from" / "save941.info", "A DESIGNEE \r\n555 \r\n&LH1% \r\nNY  \r\n");

    auto before = Files(dir / "from");
    nlohmann::ordered_json j = ClientDocumentJson(InspectClientFolder((dir / "from").string(), (dir / "from").string()));
    ASSERT_EQ(Files(dir / "from"), before) << "inspect wrote into the folder";
    std::vector<std::string> errors;  // the import checks the document against the schema too
    ClientDocument doc = ParseClientDocument(j.dump(), "client.json", errors);
    ASSERT_EQ(errors, std::vector<std::string>{});
    WriteClientDocumentFiles(doc, dir / "to");
    ASSERT_EQ(Files(dir / "to"), before);
  }
}

TEST(ClientDocument, DemoRoundTripsThroughTheCommand) {
  TempDir dir;
  WriteDemoClient(dir / "demo");
  fs::remove(dir / "demo" / kDemoAnswersFile);
  auto before = Files(dir / "demo");
  auto inspect = RunQreport(dir, "inspect demo --rates-dir demo --json");
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  EXPECT_EQ(Files(dir / "demo"), before);
  WriteBytes(dir / "demo.json", inspect.out);
  auto import = RunQreport(dir, "import demo.json copy");
  ASSERT_EQ(import.status, 0) << import.err;
  EXPECT_EQ(Files(dir / "copy"), before);
}

// What the run would read as zero or skip, each in a folder that shows it.
TEST(ClientDocument, InspectWarnsOfWhatTheRunSkipsAndWritesNothing) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> spoil;
    std::string warning;
  } cases[] = {
      {"a partial client file", [](const fs::path& d) { fs::resize_file(d / "CLIENT", 200); }, "CLIENT: 200 bytes"},
      {"an index entry past the master file",
       [](const fs::path& d) { WriteBytes(d / "EMPLOYEE.idx", ReadFile(d / "EMPLOYEE.idx") + std::string("ZZ    \x00\x10", 8)); },
       "past the end of EMPLOYEE.fil"},
      {"a record number below 1",
       [](const fs::path& d) { WriteBytes(d / "EMPLOYEE.idx", std::string("ZZ    \xff\xff", 8) + ReadFile(d / "EMPLOYEE.idx")); },
       "record number -1 is below 1"},
      {"a partial index entry", [](const fs::path& d) { WriteBytes(d / "EMPLOYEE.idx", ReadFile(d / "EMPLOYEE.idx") + "abc"); },
       "a partial last entry"},
      {"a rate that is no number", [](const fs::path& d) { WriteRatesFile(d, {"6.2", "abc", "94200", "1.45", "1.45", "0"}); },
       "FICA.RAT ss_rate2: \"abc\" is no number"},
      {"a control byte in a name",
       [](const fs::path& d) {
         std::string f = ReadFile(d / "EMPLOYEE.fil");
         f[kNameOffset + 2] = '\x1b';
         WriteBytes(d / "EMPLOYEE.fil", f);
       },
       "employee entry 1 name: holds bytes outside printable text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteDemoClient(dir.path());
    c.spoil(dir.path());
    auto before = Files(dir.path());
    Inspection in = InspectClientFolder(dir.str(), dir.str());
    EXPECT_EQ(Files(dir.path()), before);
    std::string all;
    for (const std::string& w : in.warnings) all += w + "\n";
    EXPECT_NE(all.find(c.warning), std::string::npos) << all;
  }
  TempDir empty;
  Inspection in = InspectClientFolder(empty.str(), empty.str());
  EXPECT_TRUE(fs::is_empty(empty.path()));
  EXPECT_FALSE(in.document.folder.client.has_value());
}

// Every problem of the input is named where it is, and a failed import leaves no folder behind.
TEST(ImportCommand, ErrorsNameTheirPlaceAndNothingIsWritten) {
  TempDir dir;
  WriteBytes(dir / "client.json", R"({"format": "qreport client folder 1", "client": {"employer_name": "SMALL CO", "payroll_date": "063026", "ein": "12-3456789", "city_line": "SPRINGFIELD, IL 62704"}})");
  WriteBytes(dir / "employees.csv",
             "key,name,qtd1,ytd1\n"
             "A1,ONE,100.00,100.00\n"
             "A2,TWO,200.00,200.00\n"
             "A3,\"THREE,\nWITH A LINE\",300.00,300.00\n"
             "A4,FOUR,400.00,400.00\n"
             "A5,FIVE,12.3x,500.00\n");
  auto bad_csv = RunQreport(dir, "import client.json --employees employees.csv out");
  EXPECT_EQ(bad_csv.status, 2);
  EXPECT_NE(bad_csv.err.find("employees.csv:7:3: qtd1: expected an amount such as 1234.56"), std::string::npos) << bad_csv.err;

  WriteBytes(dir / "long.json", R"({"format": "qreport client folder 1", "employees": [{"key": "A1", "name": "A NAME THAT IS FAR TOO LONG FOR ITS FIELD"}]})");
  auto long_name = RunQreport(dir, "import long.json out");
  EXPECT_EQ(long_name.status, 2);
  EXPECT_NE(long_name.err.find("long.json: /employees/0/name: "), std::string::npos) << long_name.err;
  EXPECT_NE(long_name.err.find("holds at most 30"), std::string::npos) << long_name.err;

  WriteBytes(dir / "typo.json", R"({"format": "qreport client folder 1", "client": {"employer_nme": "X"}, "employees": [{"qtd": [1.5]}]})");
  auto typo = RunQreport(dir, "import typo.json out");
  EXPECT_EQ(typo.status, 2);
  EXPECT_NE(typo.err.find("/client/employer_nme: unknown key"), std::string::npos) << typo.err;
  EXPECT_NE(typo.err.find("/employees/0/qtd/0: expected integer cents"), std::string::npos) << typo.err;

  for (const auto& entry : fs::directory_iterator(dir.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_FALSE(name.rfind("out", 0) == 0 || name.rfind(".out.", 0) == 0) << name;
  }
}

// Each problem of a document is one line that says where it is and what was wanted, worded from
// the schema where the schema says the rule and from the reader where only code can; problems of
// both kinds are all reported at once, and a huge value is shown cut short.
TEST(ClientDocument, EachProblemIsOneLineNamingItsPlace) {
  const std::string head = R"({"format": "qreport client folder 1")";
  const std::string huge(1000000, 'X');
  struct Case {
    const char* what;
    std::string json;
    std::vector<std::string> errors;
  } cases[] = {
      {"a sound document", head + R"(, "client": {"employer_name": "CO", "ein_suffix": 28, "payroll_date": "063026", "ein": "12-3456789", "city_line": "SPRINGFIELD, IL 62704"}, "employees": [{"key": "A1",
         "qtd": [1, "-2,000.50", "$.5"], "plans": [214748364799, -214748364800]}], "plans_file": false, "liability": null,
         "letterhead": ["", "", "", "", ""], "saved_entries": {"state_code": "NY"}, "derived": {}, "warnings": []})",
       {}},
      {"not an object", "[1, 2]", {"c.json: /: expected qreport client document, got [1,2]"}},
      {"no format", R"({"client": null})", {"c.json: /format: missing: expected \"qreport client folder 1\""}},
      {"unknown keys, each named", head + R"(, "clients": {}, "client": {"employer_nme": "X", "a/b~": 1}})",
       {"c.json: /client/a~1b~0: unknown key", "c.json: /client/employer_nme: unknown key", "c.json: /clients: unknown key",
        "c.json: /client/ein: the EIN \"\" is not nine digits written NN-NNNNNNN",
        "c.json: /client/payroll_date: the payroll date \"\" is not six digits MMDDYY",
        "c.json: /client/city_line: the city line \"\" has no comma between the city and the state and ZIP (\"CITY, ST 12345\"): "
        "the forms would print the state and ZIP blank"}},
      {"a wrong type", head + R"(, "plans_file": "yes", "employees": {}})",
       {"c.json: /employees: expected a list, got {}", "c.json: /plans_file: expected true or false, got \"yes\""}},
      {"numbers out of range, one line each",
       head + R"(, "client": {"ein_suffix": 256, "payroll_date": "063026", "ein": "12-3456789", "city_line": "SPRINGFIELD, IL 62704"}, "employees": [{"record_number": 18446744073709551615, "exempt_code": 1.5}]})",
       {"c.json: /client/ein_suffix: expected a whole number from 0 to 255, got 256",
        "c.json: /employees/0/exempt_code: expected a whole number from 0 to 255, got 1.5",
        "c.json: /employees/0/record_number: expected a whole number from -32768 to 32767, got 1.8446744073709552e+19"}},
      {"amounts past a packed amount or of no amount's type",
       head + R"(, "employees": [{"qtd": [214748364800, true], "misc_amount_1": null}]})",
       {"c.json: /employees/0/misc_amount_1: expected integer cents from -214748364800 to 214748364799 (what a packed amount "
        "holds), or decimal text in dollars (\"1234.56\"), got null",
        "c.json: /employees/0/qtd/0: expected integer cents from -214748364800 to 214748364799 (what a packed amount holds), "
        "or decimal text in dollars (\"1234.56\"), got 214748364800",
        "c.json: /employees/0/qtd/1: expected integer cents from -214748364800 to 214748364799 (what a packed amount holds), "
        "or decimal text in dollars (\"1234.56\"), got true"}},
      {"too many items", head + R"(, "letterhead": ["1", "2", "3", "4", "5", "6"], "employees": [{"plans": [1, 2, 3, 4]}]})",
       {"c.json: /employees/0/plans: expected a list of at most 3 items, got [1,2,3,4]",
        "c.json: /letterhead: expected a list of at most 5 items or null, got [\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"]"}},
      {"a text too long and a line with a line feed",
       head + R"(, "client": {"ein": "\u00e912345678901", "payroll_date": "063026", "city_line": "SPRINGFIELD, IL 62704"}, "saved_entries": {"designee_name": "A\nB", "state_code": ")" + huge + R"("}})",
       {"c.json: /client/ein: \"\u00e912345678901\" is 12 bytes; the field holds at most 10",
        "c.json: /saved_entries/designee_name: expected one line (no CR or LF), got \"A\\nB\"",
        "c.json: /saved_entries/state_code: \"" + huge.substr(0, 40) + "...\" is 1000000 bytes; the field holds at most 255",
        "c.json: /client/ein: the EIN \"\u00e9123456789\" is not nine digits written NN-NNNNNNN"}},
      {"what only the reader knows, with the schema's problems",
       head + R"(, "client": {"trade_name": "\u0100", "payroll_date": "063026", "ein": "12-3456789", "city_line": "SPRINGFIELD, IL 62704"}, "employees": [{"qtd": ["12.345", "1e3"], "ytd": [2147483648.0]},
         {"record_number": 0, "name": "OLD", "key": "K"}]})",
       {"c.json: /employees/0/ytd/0: expected integer cents from -214748364800 to 214748364799 (what a packed amount holds), "
        "or decimal text in dollars (\"1234.56\"), got 2147483648.0",
        "c.json:1:65: /client/trade_name: the character U+0100 \"\u0100\" is not in code page 1252 (docs/formats.md lists "
        "the characters)",
        "c.json: /employees/0/qtd/0: expected an amount such as 1234.56 (at most two decimals)",
        "c.json: /employees/0/qtd/1: expected an amount such as 1234.56 (at most two decimals)",
        std::string("c.json: /employees/1/name: ") + kNoRecordForData}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> errors;
    ParseClientDocument(c.json, "c.json", errors);
    EXPECT_EQ(errors, c.errors);
  }
}

// `qreport ARGS` in `work` under a time limit, so that a fault that makes it spin ends as a kill
// (status 137) instead of a hung suite.
testing::CommandOutcome RunQreportWithin(const TempDir& work, const std::string& args) {
  testing::CommandOutcome o;
  o.status = testing::RunCommand("cd '" + work.str() + "' && timeout -s KILL 60 '" + QREPORT_CLI + "' " + args + " </dev/null",
                                 work / ".out", work / ".err");
  o.out = ReadFile(work / ".out");
  o.err = ReadFile(work / ".err");
  return o;
}

// Employees as CSV rows "E<n>,NAME <n>,<n>.00" for n from 1 to `count`, under a header.
std::string ManyEmployeesCsv(int count) {
  std::string csv = "key,name,qtd1\n";
  for (int n = 1; n <= count; ++n) csv += "E" + std::to_string(n) + ",NAME " + std::to_string(n) + "," + std::to_string(n) + ".00\n";
  return csv;
}

// Each input that the record files cannot hold as given, or that is not what it seems, is an
// error that names where it is and what the limit is, with the usage status, and writes nothing;
// never a crash, a wrapped number, a lost employee or exit 0. A message never repeats a huge
// value whole. The last rows are inputs near those faults that are sound and are imported.
TEST(ImportCommand, InputsTheRecordFilesCannotHoldAreErrors) {
  const std::string format = R"("format": "qreport client folder 1")";
  const std::string big(1000000, 'X');
  // A document with a sound client, one of whose values `change` replaces (a key given twice
  // would be refused, so the sound value is left out).
  auto client = [&](const std::string& change) {
    std::string fields;
    for (const char* field : {R"("ein": "12-3456789")", R"("payroll_date": "063026")", R"("city_line": "SPRINGFIELD, IL 62704")"}) {
      std::string_view f = field;
      if (change.compare(0, f.find(':'), f.substr(0, f.find(':'))) != 0) fields += std::string(f) + ", ";
    }
    return "{" + format + R"(, "client": {)" + fields + change + "}}";
  };
  struct Case {
    const char* what;
    std::string json;
    std::string csv;  // empty: no --employees
    const char* target;
    int status;
    std::vector<std::string> pieces;  // each a piece of standard error
  } cases[] = {
      {"more employees than records", "{" + format + "}", ManyEmployeesCsv(40000), "out", 2,
       {"employees.csv:32769:1: employee 32768 is more than the record files hold: they end at record 32767"}},
      {"an employee given a record another one has",
       "{" + format + R"(, "employees": [{"key": "ADAMS", "name": "ADAMS", "qtd": [40560]},
                                     {"key": "BAKER", "name": "BAKER", "record_number": 1, "qtd": [17727078]}]})",
       "", "out", 2, {"client.json: /employees/1: record number 1 is already that of /employees/0, with other contents"}},
      {"two CSV rows in one record", "{" + format + "}", "key,record_number,qtd1,name\nA1,7,1.00,ADAMS\nA2,7,2.00,BAKER\n", "out", 2,
       {"employees.csv:3:2: record number 7 is already that of line 2"}},
      {"a number beyond a double", "{" + format + R"(, "employees": [{"qtd": [1e309]}]})", "", "out", 2,
       {"client.json:1:62: not JSON: number overflow parsing '1e309'"}},
      {"cents that wrap to -1", "{" + format + R"(, "employees": [{"qtd": [18446744073709551615]}]})", "", "out", 2,
       {"client.json: /employees/0/qtd/0: expected integer cents from -214748364800 to 214748364799"}},
      {"a record number that wraps to -1", "{" + format + R"(, "employees": [{"record_number": 18446744073709551615}]})", "",
       "out", 2, {"client.json: /employees/0/record_number: expected a whole number from -32768 to 32767"}},
      {"a key given twice",
       "{" + format + R"(, "client": {"employer_name": "FIRST"}, "client": {"employer_name": "SECOND"}})", "", "out", 2,
       {"client.json: /client: the key appears twice in one object"}},
      {"a key given twice inside a list",
       "{" + format + R"(, "employees": [{"key": "A1"}, {"key": "A2", "qtd": [1], "qtd": [2]}]})", "", "out", 2,
       {"client.json: /employees/1/qtd: the key appears twice in one object"}},
      {"a wrong format", R"({"format": "qreport client folder 2"})", "", "out", 2,
       {"client.json: /format: expected \"qreport client folder 1\", got \"qreport client folder 2\""}},
      {"no format", R"({"client": null})", "", "out", 2, {"client.json: /format: missing"}},
      {"a CSV column named twice", "{" + format + "}", "key,qtd1,name,qtd1\nA1,1.00,ADAMS,2.00\n", "out", 2,
       {"employees.csv:1:4: column \"qtd1\" is named twice (first as column 2)"}},
      {"a short CSV row", "{" + format + "}", "key,name,qtd1,ytd1\nA1,ADAMS,1.00,1.00\nA2,BAKER\n", "out", 2,
       {"employees.csv:3:3: 2 fields where the header names 4"}},
      {"a quote open at the end", "{" + format + "}", "key,name,qtd1\nA1,ADAMS,1.00\nA2,\"BAKER,2.00\nA3,CHEN,3.00\n", "out", 2,
       {"employees.csv:3:2: a quoted field is not closed before the end of the file"}},
      {"a quote open at the start of a row", "{" + format + "}", "key,name\nA1,ADAMS\n\n\"A2\n", "out", 2,
       {"employees.csv:4:1: a quoted field is not closed"}},
      {"an entry without a record given amounts", "{" + format + "}", "key,record_number,qtd1,name\nA1,0,100.00,\n", "out", 2,
       {"employees.csv:2:3: qtd1: an entry whose record number is below 1 has no record"}},
      {"an entry without a record given a name", "{" + format + R"(, "employees": [{"record_number": -3, "name": "ADAMS"}]})",
       "", "out", 2, {"client.json: /employees/0/name: an entry whose record number is below 1 has no record"}},
      {"a huge name in the document", "{" + format + R"(, "employees": [{"name": ")" + big + R"("}]})", "", "out", 2,
       {"client.json: /employees/0/name: \"" + big.substr(0, 40) + "...\" is 1000000 bytes"}},
      {"a huge amount in the CSV", "{" + format + "}", "key,qtd1,name\nA1," + big + ",ADAMS\n", "out", 2,
       {"employees.csv:2:2: qtd1: expected an amount such as 1234.56 (at most two decimals), got \"" + big.substr(0, 40) + "...\""}},
      {"no name column", "{" + format + "}", "key,qtd1\nA1,1.00\n", "out", 2, {"employees.csv:1: the header has no column \"name\""}},
      {"a key twice in the CSV", "{" + format + "}", "key,name\nA1,ADAMS\nB2,BAKER\nA1 ,CHEN\n", "out", 2,
       {"employees.csv:4:1: the employee key \"A1\" is already that of line 2"}},
      {"a key twice in the document", "{" + format + R"(, "employees": [{"key": "A1", "name": "ADAMS"}, {"key": "A1", "name": "BAKER"}]})",
       "", "out", 2, {"client.json: /employees/1: the employee key \"A1\" is already that of /employees/0"}},
      {"an EIN of letters", client(R"("ein": "ABCDEFGHIJ")"), "", "out", 2,
       {"client.json: /client/ein: the EIN \"ABCDEFGHIJ\" is not nine digits written NN-NNNNNNN"}},
      {"an EIN cut short", client(R"("ein": "84-30215")"), "", "out", 2, {"client.json: /client/ein: the EIN \"84-30215\" is not nine"}},
      {"an EIN with a suffix byte the run appends", client(R"("ein_suffix": 65)"), "", "out", 2,
       {"client.json: /client/ein: the EIN \"12-3456789A\" is not nine"}},
      {"a payroll date of month 13", client(R"("payroll_date": "133126")"), "", "out", 2,
       {"client.json: /client/payroll_date: the payroll date \"133126\" is no real date MMDDYY"}},
      {"February 29 of a common year", client(R"("payroll_date": "022927")"), "", "out", 2,
       {"client.json: /client/payroll_date: the payroll date \"022927\" is no real date"}},
      {"a city line without a comma", client(R"("city_line": "SPRINGFIELD IL 62704")"), "", "out", 2,
       {"client.json: /client/city_line: the city line \"SPRINGFIELD IL 62704\" has no comma"}},
      {"a city line without a ZIP", client(R"("city_line": "SPRINGFIELD, IL")"), "", "out", 2,
       {"client.json: /client/city_line: the city line \"SPRINGFIELD, IL\" gives no ZIP"}},
      {"a FICA flag of neither yes nor no", "{" + format + R"(, "employees": [{"key": "A1", "name": "ADAMS", "fica_flag": "X"}]})", "",
       "out", 2, {"client.json: /employees/0/fica_flag: expected Y or N (yes or no, in any case), got \"X\""}},
      {"a FICA flag of neither yes nor no in the CSV", "{" + format + "}", "key,name,fica_flag\nA1,ADAMS,t\n", "out", 2,
       {"employees.csv:2:3: fica_flag: expected Y or N"}},
      {"a character code page 1252 lacks", "{" + format + ",\n" + R"( "employees": [{"key": "A1", "name": "ZO\u0106"}]})", "", "out", 2,
       {"client.json:2:41: /employees/0/name: the character U+0106 \"\u0106\" is not in code page 1252"}},
      {"a C1 control is no character of the code page", "{" + format + R"(, "employees": [{"key": "A1", "name": "\u0080"}]})", "",
       "out", 2, {"/employees/0/name: the character U+0080"}},
      {"a character code page 1252 lacks in the CSV", "{" + format + "}", "key,name\nA1,\"ZO\u0106, ANA\"\n", "out", 2,
       {"employees.csv:2:2: name: the character U+0106 \"\u0106\" is not in code page 1252"}},
      {"a CSV saved as Latin-1", "{" + format + "}", "key,name\nA1,PE\xD1" "A\n", "out", 2, {"employees.csv:2:2: name: the text is not UTF-8"}},
      {"the root folder", "{" + format + "}", "", "/", 1, {"qreport: / is the root folder"}},
      {"entries sharing a record with the same contents",
       "{" + format + R"(, "employees": [{"record_number": 2, "key": "A1", "name": "ADAMS"},
                                     {"record_number": 0, "key": "OLD"},
                                     {"record_number": 2, "key": "A1", "index_key": "A1OLD", "name": "ADAMS"}]})",
       "", "out", 0, {}},
      {"the last record number", "{" + format + "}", ManyEmployeesCsv(32767), "out", 0, {}},
      {"flags in either case, an undefined byte's own character", client(R"("ein_suffix": 28)"),
       "key,name,fica_flag\nA1,ADAMS,yes\nA2,BAKER,n\nA3,CHEN \u0081,Y\n", "out", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteBytes(dir / "client.json", c.json);
    std::string args = "import client.json ";
    if (!c.csv.empty()) {
      WriteBytes(dir / "employees.csv", c.csv);
      args += "--employees employees.csv ";
    }
    auto outcome = RunQreportWithin(dir, args + c.target);
    EXPECT_EQ(outcome.status, c.status) << outcome.err.substr(0, 2000);
    for (const std::string& piece : c.pieces) EXPECT_NE(outcome.err.find(piece), std::string::npos) << outcome.err.substr(0, 2000);
    EXPECT_LT(outcome.err.size(), 2000u) << "a message repeats a value whole";
    if (c.status == 0) continue;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.rfind("out", 0) == 0 || name.rfind(".out.", 0) == 0) << name;
    }
  }
}

// A client folder that is a mount point cannot be replaced by renaming (the system says the
// folder is busy), so the import refuses it before it writes anything: the rates folder's files
// stay as they were. The mount is made in a mount namespace of the command's own (as root, as CI
// runs), so that it ends with the command.
TEST(ImportCommand, AMountPointIsRefusedAndTheRatesAreLeftAsTheyWere) {
  TempDir dir;
  if (testing::RunCommand("unshare -m true") != 0) GTEST_SKIP() << "no mount namespace here (needs root)";
  WriteBytes(dir / "client.json", R"({"format": "qreport client folder 1",
      "rates": {"ss_rate1": "9.9", "ss_rate2": "9.9", "ss_base": "1", "medicare_rate1": "9.9", "medicare_rate2": "9.9", "second_base": "1"},
      "letterhead": ["NEW", "", "", "", ""]})");
  fs::create_directory(dir / "mounted");
  fs::create_directory(dir / "rates");
  WriteBytes(dir / "rates" / "FICA.RAT", "6.2   6.2   184500  1.45  1.45  200000  ");
  WriteBytes(dir / "rates" / "prep", "OLD");
  testing::CommandOutcome o;
  o.status = testing::RunCommand("cd '" + dir.str() + "' && unshare -m sh -c 'mount -t tmpfs none mounted && exec timeout -s KILL 60 \"" +
                                     QREPORT_CLI + "\" import client.json mounted --force --rates-dir rates' </dev/null",
                                 dir / ".out", dir / ".err");
  o.err = ReadFile(dir / ".err");
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_NE(o.err.find("mounted is a mount point"), std::string::npos) << o.err;
  EXPECT_EQ(ReadFile(dir / "rates" / "FICA.RAT"), "6.2   6.2   184500  1.45  1.45  200000  ");
  EXPECT_EQ(ReadFile(dir / "rates" / "prep"), "OLD");
  for (const auto& entry : fs::directory_iterator(dir / "rates")) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "FICA.RAT" || name == "prep") << "left behind: " << name;
  }
}

TEST(ImportCommand, AFolderThatIsNotEmptyIsReplacedOnlyWithForce) {
  TempDir dir;
  WriteBytes(dir / "client.json", R"({"format": "qreport client folder 1", "client": {"employer_name": "SMALL CO", "payroll_date": "063026", "ein": "12-3456789", "city_line": "SPRINGFIELD, IL 62704"}})");
  fs::create_directory(dir / "out");
  WriteBytes(dir / "out" / "keep", "x");
  auto refused = RunQreport(dir, "import client.json out");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("not empty"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadFile(dir / "out" / "keep"), "x");
  auto forced = RunQreport(dir, "import client.json out --force");
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_FALSE(fs::exists(dir / "out" / "keep"));
  EXPECT_EQ(ReadFile(dir / "out" / "CLIENT").substr(0, 8), "SMALL CO");
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_NE(entry.path().filename().string().rfind(".out.", 0), 0u) << "a temporary folder is left";
  }
}

// Names typed with accents, in the document and in the CSV file, are stored as the code page's
// bytes; inspect shows them as the letters again, and importing what it shows gives the same files.
TEST(ImportCommand, AccentedNamesAreStoredInTheCodePageAndComeBack) {
  TempDir dir;
  WriteBytes(dir / "client.json", R"({"format": "qreport client folder 1", "client": {"employer_name": "CAFÉ ÑANDÚ – “EL SOL”",
      "payroll_date": "063026", "ein": "12-3456789", "city_line": "SAN JOSÉ, CA 95112"}})");
  WriteBytes(dir / "employees.csv", "key,name,fica_flag,qtd1,ytd1\nP1,\"PEÑA, JOSÉ\",y,100.00,100.00\nM2,MÜLLER ŠTĚ,Y,1,1\n");
  // Ě is no letter of the code page: the whole import is refused.
  auto refused = RunQreport(dir, "import client.json --employees employees.csv out");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("employees.csv:3:2: name: the character U+011A"), std::string::npos) << refused.err;
  WriteBytes(dir / "employees.csv", "key,name,fica_flag,qtd1,ytd1\nP1,\"PEÑA, JOSÉ\",y,100.00,100.00\nM2,MÜLLER ŠTE,Y,1,1\n");
  auto import = RunQreport(dir, "import client.json --employees employees.csv out");
  ASSERT_EQ(import.status, 0) << import.err;
  EXPECT_EQ(ReadFile(dir / "out" / "CLIENT").substr(0, 21), "CAF\xC9 \xD1" "AND\xDA \x96 \x93" "EL SOL\x94");
  const std::string master = ReadFile(dir / "out" / "EMPLOYEE.fil");
  EXPECT_NE(master.find("PE\xD1" "A, JOS\xC9"), std::string::npos);
  EXPECT_NE(master.find("M\xDCLLER \x8ATE"), std::string::npos);

  auto inspect = RunQreport(dir, "inspect out --rates-dir out --json");
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  nlohmann::json j = nlohmann::json::parse(inspect.out);
  EXPECT_EQ(j["client"]["employer_name"], "CAFÉ ÑANDÚ – “EL SOL”");
  EXPECT_EQ(j["employees"][0]["name"], "PEÑA, JOSÉ");
  EXPECT_EQ(j["employees"][0]["fica_flag"], "Y");  // typed lower case, stored as the run reads it
  WriteBytes(dir / "again.json", inspect.out);
  auto again = RunQreport(dir, "import again.json copy");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Files(dir / "copy"), Files(dir / "out"));
}

// A rates folder's files are every client's there: import writes them when missing or the same,
// and replaces ones that differ only with --force.
TEST(ImportCommand, TheRatesFolderIsReplacedOnlyWithForce) {
  TempDir dir;
  WriteBytes(dir / "client.json", R"({"format": "qreport client folder 1",
      "rates": {"ss_rate1": "6.2", "ss_rate2": "6.2", "ss_base": "184500", "medicare_rate1": "1.45", "medicare_rate2": "1.45", "second_base": "200000"},
      "letterhead": ["NEW", "", "", "", ""]})");
  fs::create_directory(dir / "rates");
  ASSERT_EQ(RunQreport(dir, "import client.json a --rates-dir rates").status, 0);
  const std::string rates = ReadFile(dir / "rates" / "FICA.RAT");
  EXPECT_EQ(rates.substr(0, 12), "6.2   6.2   ");
  auto same = RunQreport(dir, "import client.json b --rates-dir rates");  // the same bytes: nothing to do
  EXPECT_EQ(same.status, 0) << same.err;

  WriteBytes(dir / "rates" / "prep", std::string("OLD") + std::string(147, ' '));
  auto refused = RunQreport(dir, "import client.json c --rates-dir rates");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("rates/prep holds other letterhead lines than the document"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(dir / "c"));
  EXPECT_EQ(ReadFile(dir / "rates" / "prep").substr(0, 3), "OLD");
  auto forced = RunQreport(dir, "import client.json c --rates-dir rates --force");
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFile(dir / "rates" / "prep").substr(0, 3), "NEW");
  EXPECT_EQ(ReadFile(dir / "rates" / "FICA.RAT"), rates);
}

// The README's worked example: a small client document and five employees from a spreadsheet,
// imported, then their figures and their report.
TEST(ImportCommand, ReadmeExampleImportsAndRuns) {
  TempDir dir;
  fs::copy_file(fs::path(QREPORT_DOCS_DIR) / "example" / "client.json", dir / "client.json");
  fs::copy_file(fs::path(QREPORT_DOCS_DIR) / "example" / "employees.csv", dir / "employees.csv");
  auto import = RunQreport(dir, "import client.json --employees employees.csv harbor");
  ASSERT_EQ(import.status, 0) << import.err;
  EXPECT_EQ(import.out, "client folder: harbor (5 employees)\n");
  auto lines = RunQreport(dir, "lines harbor --rates-dir harbor --json");
  ASSERT_EQ(lines.status, 0) << lines.err;
  nlohmann::json j = nlohmann::json::parse(lines.out);
  EXPECT_EQ(j["form"], "941");
  EXPECT_EQ(j["quarter"], 3);
  EXPECT_EQ(j["lines"]["1"], 5);
  EXPECT_EQ(j["lines"]["2"], 4126075);  // 42,110.75 of wages and tips less 850.00 of plans
  auto run = RunQreport(dir, "run harbor --rates-dir harbor");
  EXPECT_TRUE(fs::exists(dir / "harbor" / "report.txt")) << run.err;
}

}  // namespace
}  // namespace qreport

namespace qreport {
namespace {

// The document written as the folder is read is the one made in memory, as text and as rows, and
// the warnings are the same: for the demo, a folder with faults in every employee file, a folder
// with a client file alone, and an empty folder.
TEST(ClientDocument, StreamedDocumentIsTheDocumentInMemory) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
  } cases[] = {
      {"the demo", [](const fs::path& d) { WriteDemoClient(d); }},
      {"faults in the employee files",
       [](const fs::path& d) {
         WriteDemoClient(d);
         std::string index = ReadFile(d / "EMPLOYEE.idx");
         WriteBytes(d / "EMPLOYEE.idx", std::string("ZZ    \xff\xff", 8) + index + std::string("YY    \x00\x10", 8) + "abc");
         std::string master = ReadFile(d / "EMPLOYEE.fil");
         master[kNameOffset + 2] = '\x1b';
         WriteBytes(d / "EMPLOYEE.fil", master.substr(0, master.size() - 3));
         WriteBytes(d / "PRLIAB", ReadFile(d / "PRLIAB") + "12");
       }},
      {"a client file alone",
       [](const fs::path& d) {
         ClientFolderSpec spec;
         spec.client = testing::PlainClient();
         WriteClientFolder(d, spec);
         for (const char* name : {"EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB"}) fs::remove(d / name);
       }},
      {"an empty folder", [](const fs::path&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    c.make(dir.path());
    Inspection in_memory = InspectClientFolder(dir.str(), dir.str());
    nlohmann::ordered_json j = ClientDocumentJson(in_memory);

    std::ostringstream text;
    JsonText streamed(text);
    Inspection inspection = WriteClientDocumentJson(dir.str(), dir.str(), streamed);
    EXPECT_EQ(text.str(), j.dump(2));
    EXPECT_EQ(inspection.warnings, in_memory.warnings);
    EXPECT_TRUE(inspection.document.folder.employees.empty());

    std::vector<std::string> rows, rows_in_memory;
    JsonRows streamed_rows([&rows](const std::string& key, const nlohmann::ordered_json& leaf) { rows.push_back(key + "=" + leaf.dump()); });
    WriteClientDocumentJson(dir.str(), dir.str(), streamed_rows);
    JsonRows rows_of_value([&](const std::string& key, const nlohmann::ordered_json& leaf) {
      rows_in_memory.push_back(key + "=" + leaf.dump());
    });
    rows_of_value.Put({}, j);
    EXPECT_EQ(rows, rows_in_memory);
  }
}

}  // namespace
}  // namespace qreport
