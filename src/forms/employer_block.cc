#include "forms/employer_block.h"

#include "data/bytes.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "text/ascii.h"

namespace qreport {

std::string PrintedText(std::string_view text) {
  std::string out = DataText(text);
  for (char& c : out) {
    if (c == '\0') c = ' ';
  }
  return out;
}

namespace {

std::string_view DropLeadingBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string TrimmedPrintedText(std::string_view text) { return TrimRight(PrintedText(text)); }

}  // namespace

CityStateZip SplitCityLine(std::string_view city_line) {
  std::string line = PrintedText(city_line);
  std::size_t comma = line.find(',');
  if (comma == std::string::npos) return {TrimRight(line), "", ""};
  CityStateZip out;
  out.city = TrimRight(std::string_view(line).substr(0, comma));
  std::string_view rest = DropLeadingBlanks(std::string_view(line).substr(comma + 1));
  std::size_t blank = rest.find(' ');
  out.state = TrimRight(rest.substr(0, blank));
  if (blank != std::string_view::npos) out.zip = TrimRight(DropLeadingBlanks(rest.substr(blank + 1)).substr(0, 5));
  return out;
}

std::string EinText(std::string_view ein) {
  std::string text(ein);
  std::size_t dash = text.find('-');
  if (dash != std::string::npos) text.erase(dash, 1);
  return text;
}

std::string EinBoxes(std::string_view ein_text) {
  std::string text(ein_text);
  if (text.size() >= 3 && text[2] == '-') text.erase(2, 1);
  text.resize(9, ' ');
  return text;
}

void TakeEmployerTexts(RunState& state, const EmployerTexts& texts) {
  state.employer_name = texts.name;
  state.employer_trade_name = texts.trade_name;
  state.employer_address = texts.address;
  state.employer_city_line = texts.city_line;
  state.payroll_date = texts.payroll_date;
}

EmployerBlock ReadEmployerBlock(const RunState& state, MissingFile missing) {
  ClientFile client;
  try {
    client = ReadClientFile(state.data_dir, /*always_record2=*/false, missing);
  } catch (const RunError&) {
    // An unreadable client file counts as a short one.
  }
  EmployerBlock block;
  block.texts = {state.employer_name, state.employer_trade_name, state.employer_address, state.employer_city_line,
                 state.payroll_date};
  if (client.has_record1) {
    block.texts = {client.employer_name, client.trade_name, client.address, client.city_line, client.payroll_date};
    block.trade_name = TrimmedPrintedText(client.trade_name);
    block.city_state_zip = SplitCityLine(client.city_line);
    block.ein_text = DataText(EinText(client.ein));
    block.ein_boxes = EinBoxes(block.ein_text);
  } else {
    block.city_state_zip.city = TrimmedPrintedText(block.texts.city_line);
    block.ein_boxes = EinBoxes("");
  }
  block.employer_name_field = PrintedText(block.texts.name);
  block.employer_name = TrimRight(block.employer_name_field);
  block.address = TrimmedPrintedText(block.texts.address);
  return block;
}

LetterheadLines ReadLetterhead(std::string_view folder, const LetterheadLines& earlier) {
  try {
    RecordFile file(ResolveHostPath(folder, kLetterheadFileName), kLetterheadRecordLength, MissingFile::kReadAsEmpty);
    if (file.byte_length() == 0) return earlier;
    std::vector<std::uint8_t> record = file.Read(1);
    LetterheadLines lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      lines[i] = DataText(TextAt(record, i * kLetterheadLineWidth, kLetterheadLineWidth));
    }
    return lines;
  } catch (const RunError&) {
    return earlier;
  }
}

namespace {
constexpr std::array<std::string_view, 5> kLetterheadCodes = {"&LH1%", "&LH2%", "&LH3%", "&LH4%", "&LH5%"};
}  // namespace

std::array<std::string, 5> PreparerLines(std::string_view upper_codes, const LetterheadLines& letterhead) {
  const auto& kCodes = kLetterheadCodes;
  std::array<std::string, 5> lines;
  std::size_t at = 0;
  for (std::size_t word = 0; word < lines.size() && at <= upper_codes.size(); ++word) {
    std::size_t blank = upper_codes.find(' ', at);
    std::string_view text = upper_codes.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at);
    for (std::size_t code = 0; code < kCodes.size(); ++code) {
      if (text == kCodes[code]) lines[word] = letterhead[code];
    }
    if (blank == std::string_view::npos) break;
    at = blank + 1;
  }
  return lines;
}

std::string LetterheadOrText(std::string_view text, const LetterheadLines& letterhead) {
  const std::string code = UpperAscii(Trim(text));
  for (std::size_t line = 0; line < kLetterheadCodes.size(); ++line) {
    if (code == kLetterheadCodes[line]) return Trim(letterhead[line]);
  }
  return std::string(text);
}

}  // namespace qreport
