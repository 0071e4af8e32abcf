#include "data/employee_files.h"

#include <system_error>

#include "data/client_file.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

void ApplyExemptCode(std::uint8_t code, bool& suta_subject, bool& futa_subject) {
  suta_subject = !(code == 1 || code == 9);
  futa_subject = !(code == 8 || code == 9);
}

namespace {

// The fields of one record. Given a record of the full length as a fixed-size span (as a walk
// reads them), every field is known to lie inside it and no byte is bound-checked.
template <std::size_t Extent>
void DecodeFields(std::span<const std::uint8_t, Extent> record, Employee& out) {
  AssignTextAt(record, kKeyOffset, kKeyWidth, out.key);
  AssignTextAt(record, kNameOffset, kNameWidth, out.name);
  out.fica_flag = static_cast<char>(ByteAt(record, kFicaFlagOffset));
  out.misc_amount_1 = PackedAmountAt(record, kMiscAmount1Offset);
  for (int item = 1; item <= kAmountItems; ++item) {
    std::size_t at = kPackedAmountLength * static_cast<std::size_t>(item - 1);
    out.amounts_qtd[item] = PackedAmountAt(record, kAmountsQtdOffset + at);
    out.amounts_ytd[item] = PackedAmountAt(record, kAmountsYtdOffset + at);
  }
  out.exempt_code = ByteAt(record, kExemptCodeOffset);
  ApplyExemptCode(out.exempt_code, out.suta_subject, out.futa_subject);
}

}  // namespace

void DecodeEmployee(Bytes record, Employee& out) {
  if (record.size() == kEmployeeRecordLength) {
    DecodeFields(std::span<const std::uint8_t, kEmployeeRecordLength>(record.data(), kEmployeeRecordLength), out);
  } else {
    DecodeFields(record, out);
  }
}

std::int64_t IndexEntryCount(std::uint64_t size) {
  return RoundHalfEven(static_cast<double>(size) / static_cast<double>(kIndexRecordLength));
}

namespace {

// The record files of a client folder with their record lengths, in the order the run reads them.
constexpr std::pair<std::string_view, std::size_t> kRecordFiles[] = {
    {kClientFileName, kClientRecordLength}, {kIndexFileName, kIndexRecordLength},
    {kEmployeeFileName, kEmployeeRecordLength}, {kPlansFileName, kPlansRecordLength},
    {kLiabilityFileName, kLiabilityRecordLength}};

}  // namespace

std::vector<std::string> RecordFilesNotRegular(std::string_view data_dir) {
  std::vector<std::string> odd;
  for (const auto& [name, length] : kRecordFiles) {
    std::filesystem::path path = ResolveHostPath(data_dir, name);
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      odd.push_back(path.filename().string());
    }
  }
  return odd;
}

std::vector<CutShortFile> CutShortRecordFiles(std::string_view data_dir) {
  std::vector<CutShortFile> cut;
  for (const auto& [name, length] : kRecordFiles) {
    std::filesystem::path path = ResolveHostPath(data_dir, name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size % length == 0) continue;
    // The run reads the client file's first two records only: a part record after them is not
    // data of the report.
    if (name == kClientFileName && size >= 2 * length) continue;
    cut.push_back({path.filename().string(), size, length});
  }
  return cut;
}

EmployeeWalk::EmployeeWalk(std::string_view data_dir, bool with_plans, MissingFile missing) {
  index_ = std::make_unique<RecordFile>(ResolveHostPath(data_dir, kIndexFileName), kIndexRecordLength, missing);
  master_ = std::make_unique<RecordFile>(ResolveHostPath(data_dir, kEmployeeFileName), kEmployeeRecordLength, missing);
  if (with_plans) {
    plans_ = std::make_unique<RecordFile>(ResolveHostPath(data_dir, kPlansFileName), kPlansRecordLength, missing);
    plans_size_ = plans_->byte_length();
    plans_records_ = static_cast<double>(plans_size_) / kPlansRecordLength;
  }
  entry_count_ = IndexEntryCount(index_->byte_length());
}

EmployeeWalk::~EmployeeWalk() = default;

void EmployeeWalk::Observe(EmployeeEntryObserver& observer) {
  observer_ = &observer;
  std::optional<std::uint64_t> plans_size;
  if (plans_) plans_size = plans_size_;
  observer.Open(index_->byte_length(), master_->byte_length(), plans_size);
}

bool EmployeeWalk::Next(Employee& out) {
  while (next_entry_ <= entry_count_) {
    const std::int64_t entry = next_entry_++;
    const Bytes index = index_->View(entry, index_record_);
    const std::int16_t number = Int16At(index, kIndexRecordNumberOffset);
    if (number < 1) {  // no such master record; the entry is skipped
      if (observer_ != nullptr) observer_->OnEntry(entry, index, {}, {});
      continue;
    }

    if (++employees_ > kMostEmployees) {
      throw RunError(kErrOverflow, "the index lists more than " + std::to_string(kMostEmployees) + " employees");
    }
    out.record_number = number;
    const Bytes master = master_->View(number, master_record_);
    DecodeEmployee(master, out);

    out.plan_amount_a = {};
    Bytes plans;
    if (plans_ && static_cast<double>(number) <= plans_records_) {
      plans = plans_->View(number, plans_record_);
      for (int plan = 1; plan <= kPlans; ++plan) {
        std::size_t at = static_cast<std::size_t>(plan - 1) * kPlanGroupLength + kPlanAmountAOffset;
        out.plan_amount_a[plan] = PackedAmountAt(plans, at);
      }
    }
    if (observer_ != nullptr) observer_->OnEntry(entry, index, master, plans);
    return true;
  }
  return false;
}

}  // namespace qreport
