#include "text/read_to_end.h"

namespace qreport {

std::string ReadToEnd(std::FILE* file) {
  std::string content;
  char buffer[8192];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  return content;
}

}  // namespace qreport
