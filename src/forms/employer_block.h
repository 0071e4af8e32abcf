// The employer and preparer texts that the forms and the voucher print: names and address from
// the client record, the city line split into city, state and ZIP, the EIN as page 2 prints it
// and one character per box, and the preparer lines chosen from the letterhead file "prep.".
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "data/client_file.h"
#include "data/letterhead_file.h"
#include "data/record_file.h"
#include "state/run_state.h"

namespace qreport {

// `text` as the forms and the voucher print it: a control byte becomes a blank as DataText
// says, and so does every NUL byte (the padding of an unfilled record field), since a NUL means
// nothing to a printer.
std::string PrintedText(std::string_view text);

struct CityStateZip {
  std::string city, state, zip;  // without trailing blanks
};

// Splits a city line at its first comma: the city before it; after it, leading blanks dropped,
// the state up to the first blank and the ZIP as the first 5 characters of the rest (leading
// blanks dropped). Without a comma the whole line is the city; without a blank after the comma
// that part is the state and the ZIP is empty. NUL bytes count as blanks.
CityStateZip SplitCityLine(std::string_view city_line);

// The EIN as page 2 prints it: the EIN field (suffix appended) without its first "-".
std::string EinText(std::string_view ein);

// The nine EIN box characters: `ein_text` less a "-" in its third position, cut or padded with
// blanks to 9.
std::string EinBoxes(std::string_view ein_text);

// The employer's values as the forms print them.
// The run's employer texts and payroll date as a page reads them: the client file's record 1
// read afresh when the file holds it, else the run's own. A page writes nothing into the run; the
// run takes these after the page (TakeEmployerTexts), since its later parts read them so.
struct EmployerTexts {
  std::string name, trade_name, address, city_line, payroll_date;
};

// Puts `texts` into `state`, as the run does after each page.
void TakeEmployerTexts(RunState& state, const EmployerTexts& texts);

struct EmployerBlock {
  EmployerTexts texts;              // what the block was made from
  std::string employer_name;        // no trailing blanks
  std::string employer_name_field;  // the whole field, trailing blanks kept
  std::string trade_name, address;  // no trailing blanks
  CityStateZip city_state_zip;
  std::string ein_text, ein_boxes;
};

// Reads the client file of the run again and derives the block. When the file holds record 1 its
// texts and payroll date are the block's texts; a shorter file (or one that cannot be read) gives
// the run's own, and the block shows the run's names, its city line unsplit, and no trade name,
// state, ZIP or EIN.
EmployerBlock ReadEmployerBlock(const RunState& state, MissingFile missing = MissingFile::kCreate);

// Letterhead lines 1 to 5 (30 bytes each, as stored).
using LetterheadLines = std::array<std::string, 5>;

// Reads record 1 of "prep." in `folder` (empty: the current directory). A missing, empty or
// unreadable file gives `earlier`; a missing one is not created (the rates folder is shared).
LetterheadLines ReadLetterhead(std::string_view folder, const LetterheadLines& earlier = {});

// Preparer lines 1 to 5 from upper-case preparer codes: the codes are split at every single
// blank, and word k that is "&LH1%" to "&LH5%" makes preparer line k that letterhead line; any
// other word leaves line k empty, and words after the fifth are ignored.
std::array<std::string, 5> PreparerLines(std::string_view upper_codes, const LetterheadLines& letterhead);

// `text`, or the letterhead line it names when the whole of it is one code "&LH1%" to "&LH5%" (in
// any case, blanks around it ignored), without trailing blanks: what a designee name given as a
// letterhead code stands for.
std::string LetterheadOrText(std::string_view text, const LetterheadLines& letterhead);

}  // namespace qreport
