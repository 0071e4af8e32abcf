// The employee files: the index "\EMPLOYEE.idx" (8-byte records), the master file
// "\EMPLOYEE.fil" (332-byte records) and the plans file "\EMPLOYEE.PLANS" (75-byte records),
// and the walk over them in index order, one employee in memory at a time.
//
// Index record            Employee record                          Plans record
//   0  6  key (unused)      0   6  key            165  5  misc amount 1   five groups of 15 bytes:
//   6  2  int16 record     6  30  name           187 45  9 other amounts    0  5  plan id (unused)
//         number         116   1  fica flag      232 45  9 quarter amounts  5  5  plan amount a
//                                                277 45  9 year amounts    10  5  (unused)
//                                                331  1  exemption code
//
// Money fields are PackedAmount: a signed 32-bit count of whole units, then one byte of
// hundredths, added as they stand (whole -5 with 25 hundredths is -4.75).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/bytes.h"
#include "data/record_file.h"

namespace qreport {

inline constexpr std::size_t kIndexRecordLength = 8;
inline constexpr std::size_t kEmployeeRecordLength = 332;
inline constexpr std::size_t kPlansRecordLength = 75;
inline constexpr std::string_view kIndexFileName = "\\EMPLOYEE.idx";
inline constexpr std::string_view kEmployeeFileName = "\\EMPLOYEE.fil";
inline constexpr std::string_view kPlansFileName = "\\EMPLOYEE.PLANS";

inline constexpr std::size_t kIndexRecordNumberOffset = 6;
// The index holds a record number as a signed 16-bit integer: the master and plans files reach
// record 32,767 at most, and an entry below record 1 names no record (the run skips it).
inline constexpr int kLowestIndexNumber = -32768;
inline constexpr int kHighestRecordNumber = 32767;
inline constexpr std::size_t kKeyOffset = 0, kKeyWidth = 6;
inline constexpr std::size_t kNameOffset = 6, kNameWidth = 30;
inline constexpr std::size_t kFicaFlagOffset = 116;
inline constexpr std::size_t kMiscAmount1Offset = 165;
inline constexpr std::size_t kAmountsOtherOffset = 187;
inline constexpr std::size_t kAmountsQtdOffset = 232;
inline constexpr std::size_t kAmountsYtdOffset = 277;
inline constexpr std::size_t kExemptCodeOffset = 331;
inline constexpr std::size_t kPackedAmountLength = 5;
inline constexpr std::size_t kPlanGroupLength = 15;
inline constexpr std::size_t kPlanAmountAOffset = 5;

// The numbering of an employee's amounts (items 1 to 9 of each group).
enum AmountItem : int {
  kWages = 1,
  kTips = 2,
  kFicaWithheld = 3,
  kFederalWithheld = 4,
  kStateWithheld = 5,
};

// N values numbered from 1, as the record layout numbers the amount items (1 to 9) and the
// plans (1 to 3): amounts[kWages] is item 1. Reader, writer and tests index them alike; a brace
// list or a JSON array gives them in that order, from number 1.
template <typename T, std::size_t N>
struct Numbered {
  std::array<T, N> values{};

  T& operator[](int number) { return values[static_cast<std::size_t>(number - 1)]; }
  const T& operator[](int number) const { return values[static_cast<std::size_t>(number - 1)]; }
  static constexpr int last() { return static_cast<int>(N); }
  auto begin() { return values.begin(); }
  auto end() { return values.end(); }
  auto begin() const { return values.begin(); }
  auto end() const { return values.end(); }
};

inline constexpr int kAmountItems = 9;
inline constexpr int kPlans = 3;

// The hundredths byte's value, b / 100.0 for every byte: the same doubles the division gives,
// looked up instead of divided for each of the 31 amounts of every employee.
inline constexpr std::array<double, 256> kHundredths = [] {
  std::array<double, 256> values{};
  for (int b = 0; b < 256; ++b) values[static_cast<std::size_t>(b)] = static_cast<double>(b) / 100.0;
  return values;
}();

// The value of the PackedAmount at `offset`: whole units plus hundredths / 100, in doubles.
// Inline, as every employee's walk decodes 31 of them.
inline double PackedAmountAt(Bytes record, std::size_t offset) {
  if (offset < record.size() && record.size() - offset >= kPackedAmountLength) {
    // Wholly inside the record: the bytes read without a bound check each.
    const std::uint8_t* p = record.data() + offset;
    const auto whole = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                                 (static_cast<std::uint32_t>(p[2]) << 16) |
                                                 (static_cast<std::uint32_t>(p[3]) << 24));
    return static_cast<double>(whole) + kHundredths[p[4]];
  }
  return static_cast<double>(Int32At(record, offset)) + kHundredths[ByteAt(record, offset + 4)];
}

// One employee as the report passes use it. The amounts are indexed by item, 1 to 9, the plans
// by plan, 1 to 3.
struct Employee {
  std::int16_t record_number = 0;
  std::string key;     // 6 bytes
  std::string name;    // 30 bytes
  char fica_flag = 0;  // 'Y' (capital only): subject to social security and Medicare
  double misc_amount_1 = 0;
  Numbered<double, kAmountItems> amounts_qtd;
  Numbered<double, kAmountItems> amounts_ytd;
  std::uint8_t exempt_code = 0;
  bool suta_subject = true;
  bool futa_subject = true;
  Numbered<double, kPlans> plan_amount_a;
};

// Decodes the fields the report passes read from a master record.
void DecodeEmployee(Bytes record, Employee& out);

// The two unemployment switches of an exemption code: 1 not SUTA, 8 not FUTA, 9 neither.
void ApplyExemptCode(std::uint8_t code, bool& suta_subject, bool& futa_subject);

// The number of index entries of an index file of `size` bytes: size / 8, a half to even.
std::int64_t IndexEntryCount(std::uint64_t size);

// The most employees an index can list: record numbers are signed 16-bit, so a master file
// holds at most this many records.
inline constexpr std::int64_t kMostEmployees = 32767;

// The error a walk ends with when its index lists more than kMostEmployees employees: the
// classic BASIC "Overflow", what a 16-bit count of them gives.
inline constexpr int kErrOverflow = 6;

// A record file of a client folder that is cut short: its length is not a whole number of
// records, so its last record is incomplete and whatever followed it is gone (the readers take
// the missing bytes as zeros, or skip the part record). The client file counts only when the
// part record is one of the two the run reads.
struct CutShortFile {
  std::string name;         // as the folder has it ("EMPLOYEE.fil")
  std::uint64_t size = 0;   // its length in bytes
  std::size_t record_length = 0;
};

// The client file, the employee index, master and plans files and the liability file of
// `data_dir` that are cut short, in that order. Missing files and files that cannot be
// measured are not listed.
std::vector<CutShortFile> CutShortRecordFiles(std::string_view data_dir);

// The names of the record files of `data_dir` (the same five, in the same order) that are there
// but are no regular file: a folder, a device or a link under the file's name, which no run
// reads. Told from the folder's entries alone: no file is opened.
std::vector<std::string> RecordFilesNotRegular(std::string_view data_dir);

class RecordFile;

// Sees the employee files of a walk as their bytes stand, for a reader that checks them (the
// folder inspection's warnings) without a walk of its own: the files' sizes once they are open,
// then every index entry, the skipped ones included, with the master and plans records it names.
class EmployeeEntryObserver {
 public:
  virtual ~EmployeeEntryObserver() = default;
  // Before the first entry. `plans_size` is absent when the walk reads no plans file.
  virtual void Open(std::uint64_t index_size, std::uint64_t master_size, std::optional<std::uint64_t> plans_size) = 0;
  // One index entry. `master` is empty when the entry is skipped (its record number is below 1),
  // `plans` when the record has no plans record. Valid during the call only.
  virtual void OnEntry(std::int64_t entry, Bytes index, Bytes master, Bytes plans) = 0;
};

// A walk over the employees of a client in index order. Entries whose record number is below 1
// are skipped, however many there are; an index that lists more than kMostEmployees employees
// ends the walk with kErrOverflow when it reaches the one past them (the master file cannot hold
// that many, so such an index repeats employees, and is a damaged one). The plans file is opened and read only when `with_plans` is set; an employee whose
// record number is above (plans file size) / 75 (unrounded) has plan amounts 0.
class EmployeeWalk {
 public:
  // Opens the files of `data_dir`, creating missing ones empty (or, with kReadAsEmpty, reading
  // them as empty). Throws RunError.
  EmployeeWalk(std::string_view data_dir, bool with_plans, MissingFile missing = MissingFile::kCreate);
  ~EmployeeWalk();
  EmployeeWalk(const EmployeeWalk&) = delete;
  EmployeeWalk& operator=(const EmployeeWalk&) = delete;

  std::int64_t entry_count() const { return entry_count_; }
  std::uint64_t plans_size() const { return plans_size_; }

  // Decodes the next employee into `out`; false after the last entry. Throws RunError.
  bool Next(Employee& out);

  // Shows the files and every entry from here on to `observer` (before the first Next).
  void Observe(EmployeeEntryObserver& observer);

 private:
  EmployeeEntryObserver* observer_ = nullptr;
  std::unique_ptr<RecordFile> index_, master_, plans_;
  std::int64_t entry_count_ = 0;
  std::int64_t next_entry_ = 1;
  std::int64_t employees_ = 0;  // handed out so far
  std::uint64_t plans_size_ = 0;
  double plans_records_ = 0;  // plans_size_ / 75, unrounded: the last record number with plans
  std::array<std::uint8_t, kIndexRecordLength> index_record_{};
  std::array<std::uint8_t, kEmployeeRecordLength> master_record_{};
  std::array<std::uint8_t, kPlansRecordLength> plans_record_{};
};

}  // namespace qreport
