#include "forms/ein_rows.h"

#include "forms/templates.h"

namespace qreport {

std::string CharAt(const std::string& text, int n) {
  std::size_t at = static_cast<std::size_t>(n - 1);
  return at < text.size() ? text.substr(at, 1) : std::string(" ");
}

void EinBoxRows(PrinterText& out, const std::string& ein_boxes) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  auto Ein = [&](int box) { return CharAt(ein_boxes, box); };
  Row(Template(" R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T  R,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Up(13), Template(" .            R,,TR,,T  R,,TR,,TR,,TR,,TR,,TR,,TR,,T.  .                      ."), Up(7));
  Row(Template(" .            ."), Ein(1), Template(" .."), Ein(2), Template(" .  ."), Ein(3), Template(" .."), Ein(4),
      Template(" .."), Ein(5), Template(" .."), Ein(6), Template(" .."), Ein(7), Template(" .."), Ein(8),
      Template(" .."), Ein(9), Template(" .."), Template("  . R,,,,,,,,,,,,,,,,,,T ."), Up(6));
  Row(Up(14), kEcond, kProp, kBold, "     Employer ident. no.", kUnbold, Up(13), kUnbold, kBase);
  Row(Template(" .            F,,GF,,G  F,,GF,,GF,,GF,,GF,,GF,,GF,,G.  . .                  . ."));
}

}  // namespace qreport
