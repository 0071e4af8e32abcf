#include "forms/printer_codes.h"

#include <cstdint>

namespace qreport {

std::string Esc(std::string_view rest) { return "\x1b" + std::string(rest); }

std::string Up(int n) { return std::string{'\x1b', 'j', static_cast<char>(n)}; }

std::string Sp(int n) { return std::string(static_cast<std::size_t>(n > 0 ? n : 0), ' '); }

std::string Band(int n) { return std::string(static_cast<std::size_t>(n > 0 ? n : 0), '\xdb'); }

void PrinterText::Put(Tab tab) {
  std::size_t column = bytes_.size() - row_start_ + 1;
  if (static_cast<std::size_t>(tab.column) > column) bytes_.append(static_cast<std::size_t>(tab.column) - column, ' ');
}

std::string BracketedAmount(Cents amount, std::string_view mask) {
  // The magnitude as unsigned, so that the most negative count has one too.
  std::uint64_t magnitude = amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
  std::string cents = std::to_string(magnitude % 100);
  std::string text = std::to_string(magnitude / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
  std::size_t width = mask.size();
  if (amount < 0) {
    text = "<" + text + ">";
    ++width;
  }
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace qreport
