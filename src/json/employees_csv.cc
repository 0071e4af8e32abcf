#include "json/employees_csv.h"

#include <csv.h>

#include <map>
#include <optional>

#include "data/client_rules.h"
#include "json/document_rules.h"
#include "text/ascii.h"
#include "text/json_text.h"

namespace qreport {
namespace {

// The columns of an employees CSV file.
enum class Column { kKey, kName, kFicaFlag, kExemptCode, kRecordNumber, kMisc, kQtd, kYtd, kOther, kPlan };

struct ColumnSpec {
  Column column;
  int item = 0;  // the item of qtd/ytd/other or the plan, from 1
};

std::optional<ColumnSpec> ColumnNamed(const std::string& name) {
  static const std::map<std::string, Column> plain = {
      {"key", Column::kKey},           {"name", Column::kName},
      {"fica_flag", Column::kFicaFlag}, {"exempt_code", Column::kExemptCode},
      {"record_number", Column::kRecordNumber}, {"misc_amount_1", Column::kMisc}};
  if (auto it = plain.find(name); it != plain.end()) return ColumnSpec{it->second};
  struct Group {
    const char* prefix;
    Column column;
    std::size_t count;
  } groups[] = {{"qtd", Column::kQtd, 9}, {"ytd", Column::kYtd, 9}, {"other", Column::kOther, 9}, {"plan", Column::kPlan, 3}};
  for (const Group& g : groups) {
    std::string prefix = g.prefix;
    if (name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0 && name.back() >= '1' &&
        name.back() <= static_cast<char>('0' + g.count)) {
      return ColumnSpec{g.column, name.back() - '0'};
    }
  }
  return std::nullopt;
}

struct CsvState {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::size_t> row_lines;
  std::vector<std::string> current;
  std::size_t line = 1;
  std::size_t row_start = 1;
  std::size_t field_end_line = 0;  // the line the last field ended on, within the current row
  std::size_t row_end_line = 0;    // the line the last row ended on
};

void CsvField(void* data, std::size_t length, void* context) {
  auto* s = static_cast<CsvState*>(context);
  if (s->current.empty()) s->row_start = s->line;
  s->current.emplace_back(static_cast<const char*>(data), length);
  s->field_end_line = s->line;
}

void CsvRow(int, void* context) {
  auto* s = static_cast<CsvState*>(context);
  s->rows.push_back(std::move(s->current));
  s->row_lines.push_back(s->row_start);
  s->current.clear();
  s->row_end_line = s->line;
}

// The line the field left unfinished at the end of `csv` starts on: the line of the field
// before it in its row, or else the first line after the last row that holds anything.
std::size_t UnfinishedFieldLine(std::string_view csv, const CsvState& state) {
  if (!state.current.empty()) return state.field_end_line;
  std::size_t line = 1, at = 0;
  for (; line <= state.row_end_line && at < csv.size(); ++line) {
    std::size_t end = csv.find('\n', at);
    at = end == std::string_view::npos ? csv.size() : end + 1;
  }
  while (at < csv.size() && (csv[at] == '\n' || csv[at] == '\r')) {
    if (csv[at] == '\n') ++line;
    ++at;
  }
  return line;
}

// The rows of `csv`, each with the line it starts on; false with an error naming the line when
// it is not CSV.
bool ParseCsvRows(std::string_view csv, const std::string& file, CsvState& state, std::vector<std::string>& errors) {
  csv_parser parser;
  if (csv_init(&parser, CSV_APPEND_NULL) != 0) {
    errors.push_back(file + ": cannot start the CSV reader");
    return false;
  }
  // Fed one line at a time, so that every row knows the line it starts on.
  std::size_t at = 0;
  bool failed = false;
  while (at < csv.size() && !failed) {
    std::size_t end = csv.find('\n', at);
    end = end == std::string_view::npos ? csv.size() : end + 1;
    if (csv_parse(&parser, csv.data() + at, end - at, CsvField, CsvRow, &state) != end - at) failed = true;
    if (!failed && csv[end - 1] == '\n') ++state.line;
    at = end;
  }
  // A quote still open at the end would take the rest of the file into one field: the strict
  // end refuses it (strict only there, so that a stray quote inside a field stays as it is).
  bool open_quote = false;
  if (!failed) {
    csv_set_opts(&parser, CSV_APPEND_NULL | CSV_STRICT | CSV_STRICT_FINI);
    open_quote = csv_fini(&parser, CsvField, CsvRow, &state) != 0;
  }
  std::string why = failed ? csv_strerror(csv_error(&parser)) : "";
  csv_free(&parser);
  if (open_quote) {
    errors.push_back(file + ":" + std::to_string(UnfinishedFieldLine(csv, state)) + ":" +
                     std::to_string(state.current.size() + 1) + ": a quoted field is not closed before the end of the file");
    return false;
  }
  if (failed) {
    errors.push_back(file + ":" + std::to_string(state.line) + ": not CSV: " + why);
    return false;
  }
  return true;
}

// The columns the header row names, an error for each name no column has and for a header
// without "key" or "name".
std::vector<std::optional<ColumnSpec>> HeaderColumns(const CsvState& state, const std::string& file,
                                                     std::vector<std::string>& errors) {
  std::vector<std::optional<ColumnSpec>> columns;
  std::map<std::string, std::size_t> seen;  // each column's name and where it is
  bool has_key = false, has_name = false;
  for (std::size_t c = 0; c < state.rows[0].size(); ++c) {
    std::string name = Trim(state.rows[0][c]);
    if (c == 0 && name.rfind("\xEF\xBB\xBF", 0) == 0) name.erase(0, 3);  // a spreadsheet's byte order mark
    columns.push_back(ColumnNamed(name));
    std::string where = file + ":" + std::to_string(state.row_lines[0]) + ":" + std::to_string(c + 1) + ": ";
    if (!columns.back()) {
      errors.push_back(where + "unknown column \"" + Excerpt(name) + "\" (docs/formats.md lists the columns)");
      continue;
    }
    if (auto [it, fresh] = seen.emplace(name, c + 1); !fresh) {
      errors.push_back(where + "column \"" + name + "\" is named twice (first as column " + std::to_string(it->second) + ")");
    }
    if (columns.back()->column == Column::kKey) has_key = true;
    if (columns.back()->column == Column::kName) has_name = true;
  }
  for (auto [has, name] : {std::pair{has_key, "key"}, std::pair{has_name, "name"}}) {
    if (!has) errors.push_back(file + ":" + std::to_string(state.row_lines[0]) + ": the header has no column \"" + name + "\"");
  }
  return columns;
}

// One field of an employee row read as what its column holds; a value that does not fit adds an
// error that begins with `where` (file, line, column and the column's name) and reads as empty.
struct FieldValue {
  const std::string& value;
  std::string where;
  std::vector<std::string>& errors;

  // The text in code page 1252 (the file is UTF-8), at most `width` bytes.
  std::string Text(std::size_t width) const {
    TextProblem problem;
    std::optional<std::string> bytes = JsonTextToBytes(value, &problem);
    if (!bytes) {
      errors.push_back(where + TextProblemText(problem) + " (docs/formats.md lists the characters)");
      return {};
    }
    if (bytes->size() > width) {
      errors.push_back(where + "\"" + Excerpt(value) + "\" is " + std::to_string(bytes->size()) +
                       " bytes; the field holds at most " + std::to_string(width));
    }
    return bytes->substr(0, width);
  }

  Cents Amount() const {
    if (Trim(value).empty()) return 0;
    std::string why;
    if (auto cents = ParseAmountText(value, why)) return *cents;
    errors.push_back(where + why + ", got \"" + Excerpt(value) + "\"");
    return 0;
  }

  std::int64_t Whole(std::int64_t low, std::int64_t high) const {
    std::string t = Trim(value);
    if (t.empty()) return 0;
    std::size_t i = t[0] == '-' ? 1 : 0;
    bool digits = i < t.size() && t.size() - i <= 6 && t.find_first_not_of("0123456789", i) == std::string::npos;
    std::int64_t v = digits ? std::stoll(t) : low - 1;
    if (v < low || v > high) {
      errors.push_back(where + "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                       ", got \"" + Excerpt(value) + "\"");
      return 0;
    }
    return v;
  }
};

// Sets the employee's field of column `spec` from `field`.
void SetEmployeeField(EmployeeSpec& employee, const ColumnSpec& spec, const FieldValue& field) {
  switch (spec.column) {
    case Column::kKey: employee.key = field.Text(kKeyWidth); break;
    case Column::kName: employee.name = field.Text(kNameWidth); break;
    case Column::kFicaFlag: {
      if (Trim(field.value).empty()) break;  // the default, subject
      std::optional<char> flag = FicaFlagFromText(field.value);
      if (!flag) field.errors.push_back(field.where + "expected Y or N (yes or no, in any case), got \"" + Excerpt(field.value) + "\"");
      employee.fica_flag = flag.value_or(' ');
      break;
    }
    case Column::kExemptCode: employee.exempt_code = static_cast<std::uint8_t>(field.Whole(0, 255)); break;
    case Column::kRecordNumber:
      if (!Trim(field.value).empty()) {
        employee.record_number = static_cast<std::int16_t>(field.Whole(kLowestIndexNumber, kHighestRecordNumber));
        employee.literal_record_number = true;
      }
      break;
    case Column::kMisc: employee.misc_amount_1 = field.Amount(); break;
    case Column::kQtd: employee.qtd[spec.item] = field.Amount(); break;
    case Column::kYtd: employee.ytd[spec.item] = field.Amount(); break;
    case Column::kOther: employee.other[spec.item] = field.Amount(); break;
    case Column::kPlan: employee.plans[spec.item] = field.Amount(); break;
  }
}

}  // namespace

std::vector<EmployeeSpec> ReadEmployeesCsv(std::string_view csv, const std::string& file, std::vector<std::string>& errors) {
  std::vector<EmployeeSpec> employees;
  CsvState state;
  if (!ParseCsvRows(csv, file, state, errors)) return employees;
  if (state.rows.empty()) {
    errors.push_back(file + ":1: expected a header row naming the columns (key,name,...)");
    return employees;
  }
  std::vector<std::optional<ColumnSpec>> columns = HeaderColumns(state, file, errors);
  if (!errors.empty()) return employees;

  std::size_t record_column = 0;  // where record_number is, from 1 (0: no such column)
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c]->column == Column::kRecordNumber) record_column = c + 1;
  }
  std::vector<std::string> places, names;  // each employee's line, for messages
  for (std::size_t r = 1; r < state.rows.size(); ++r) {
    const std::vector<std::string>& row = state.rows[r];
    std::string line = file + ":" + std::to_string(state.row_lines[r]) + ":";
    if (row.size() == 1 && Trim(row[0]).empty()) continue;  // an empty line
    if (row.size() > columns.size()) {
      errors.push_back(line + std::to_string(columns.size() + 1) + ": more fields than the header names");
      continue;
    }
    if (row.size() < columns.size()) {
      // A row cut short (a lost delimiter or line end) would shift or drop amounts unseen.
      errors.push_back(line + std::to_string(row.size() + 1) + ": " + std::to_string(row.size()) + " fields where the header names " +
                       std::to_string(columns.size()));
      continue;
    }
    EmployeeSpec employee;
    for (std::size_t c = 0; c < row.size(); ++c) {
      std::string where = line + std::to_string(c + 1) + ": " + Trim(state.rows[0][c]) + ": ";
      SetEmployeeField(employee, *columns[c], {row[c], where, errors});
    }
    if (employee.literal_record_number && employee.record_number < 1) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        Column column = columns[c]->column;
        if (column != Column::kKey && column != Column::kRecordNumber && !Trim(row[c]).empty()) {
          errors.push_back(line + std::to_string(c + 1) + ": " + Trim(state.rows[0][c]) + ": " + kNoRecordForData);
        }
      }
    }
    employees.push_back(std::move(employee));
    places.push_back(line + std::to_string(record_column == 0 ? 1 : record_column));
    names.push_back("line " + std::to_string(state.row_lines[r]));
  }
  CheckRecordNumbers(employees, places, names, errors);
  CheckEmployeeKeys(employees, places, names, errors);
  return employees;
}

}  // namespace qreport
