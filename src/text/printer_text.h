// Texts from the data (the client's files, the letterhead, the dialogs' entries) as the printer
// prints them. The data is code page 1252, the host's; the printer's character set is code page
// 437, whose upper half is other letters and the line-graphics and block characters the report
// draws its boxes with. A data byte sent as it is would print as the wrong character, often a box
// stroke ("PEÑA" as "PE─A"), so every data text goes through this one mapping on its way into the
// report. The report's own texts and box bytes never do.
//
// The mapping takes one byte to one byte, so a text keeps its length and every column after it
// stays where it was. It uses no locale: each build prints the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace qreport {

// The code page 437 byte that prints code page 1252 byte `byte`. Bytes below 0x80 are the same in
// both and stay as they are. Above: a letter code page 437 has prints as that letter (é, Ñ, ü,
// ß, Æ); a letter it lacks prints as the letter without its accent or stroke (Á as A, Ø as O, Š
// as S; the ligature Œ as O); every other byte prints as "?" (the euro sign, the curly quotes and
// dashes, the no-break space, the symbols, thorn and the five bytes 1252 leaves undefined). Never
// a line-graphics or block byte (0xB0 to 0xDF).
char PrinterByteFromCp1252(char byte);

// PrinterByteFromCp1252 applied to each byte of `text`.
std::string PrinterTextFromCp1252(std::string_view text);

// Appends PrinterTextFromCp1252(`text`) to `out`.
void AppendPrinterText(std::string& out, std::string_view text);

}  // namespace qreport
