#include "cli/render_command.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <string_view>

#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"
#include "platform/files.h"
#include "text/numbers.h"

namespace qreport::cli {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr double kDefaultDpi = 150;
constexpr double kLowestDpi = 10;
constexpr double kHighestDpi = 1200;

struct RenderOptions {
  std::string input;
  std::string pdf;
  std::string png_dir;
  std::string dpi_text;
  bool strict = false;
};

// A byte sequence as ESC, quoted printable characters and hexadecimal bytes.
std::string ShowSequence(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    if (b == 0x1B) {
      out += "ESC";
    } else if (b > 0x20 && b < 0x7F) {
      out += '\'';
      out += static_cast<char>(b);
      out += '\'';
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", b);
      out += hex;
    }
  }
  return out;
}

// Why `name` cannot be read as printer text: the system's reason, or that it is not a file.
std::string InputProblem(const std::string& name) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(name, ec);
  if (ec) return ec.message();
  if (std::filesystem::is_directory(status)) return std::strerror(EISDIR);
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  errno = 0;
  std::ifstream probe(name, std::ios::binary);
  return probe ? "it could not be opened" : std::strerror(errno != 0 ? errno : EACCES);
}

// What one render does, read from the options: the numbers checked, the PDF's name settled.
struct RenderRequest {
  std::string input;    // "-" for standard input
  std::string pdf;      // "-" for standard output
  std::string png_dir;  // empty: no PNG pages
  double dpi = kDefaultDpi;
  bool strict = false;
};

// Throws CLI::ValidationError (a usage error) for a --dpi that is not a number in range.
RenderRequest ParseRenderOptions(const RenderOptions& options) {
  RenderRequest request{options.input, options.pdf, options.png_dir, kDefaultDpi, options.strict};
  if (!options.dpi_text.empty()) {
    std::optional<double> dpi = StrictDecimal(options.dpi_text);
    if (!dpi || !(*dpi >= kLowestDpi && *dpi <= kHighestDpi)) throw CLI::ValidationError("--dpi takes a number from 10 to 1200");
    request.dpi = *dpi;
  }
  if (request.pdf.empty()) {
    request.pdf = request.input == "-" ? "-" : std::filesystem::path(request.input).replace_extension(".pdf").string();
  }
  return request;
}

// Reads, interprets and writes the pages: the print utility's rendering, plus standard input and
// output, the PNG pages and the strict listing.
int Render(const RenderRequest& request) {
  const std::string& input = request.input;
  const bool pdf_to_stdout = request.pdf == "-";
  // Input and pages are taken a block and a page at a time: memory stays bounded by a page.
  std::FILE* in = input == "-" ? stdin : OpenRegularForReading(input);
  if (in == nullptr) {
    std::cerr << "qreport: cannot read " << input << ": " << InputProblem(input) << "\n";
    return kFailed;
  }
  struct CloseInput {
    std::FILE* f;
    ~CloseInput() {
      if (f != stdin) std::fclose(f);
    }
  } close_input{in};
  try {
    escp::FontSet fonts;
    for (const auto& line : fonts.Substitutions()) std::cerr << "qreport: warning: font " << line << "\n";
    escp::StreamRendering drawn;
    if (pdf_to_stdout) {
      drawn = escp::RenderStream(in, fonts, &std::cout, request.png_dir, request.dpi);
    } else {
      const std::string& pdf = request.pdf;
      std::error_code ec;
      if (std::filesystem::is_directory(pdf, ec)) throw escp::RenderError("cannot write " + pdf + ": " + std::strerror(EISDIR));
      errno = 0;
      std::ofstream out(pdf, std::ios::binary | std::ios::trunc);
      if (!out) throw escp::RenderError("cannot write " + pdf + ": " + std::strerror(errno != 0 ? errno : EACCES));
      drawn = escp::RenderStream(in, fonts, &out, request.png_dir, request.dpi);
      out.close();
      if (!out) throw escp::RenderError("cannot write " + pdf + ": " + std::strerror(errno != 0 ? errno : EIO));
    }
    if (request.strict) {
      for (const auto& d : drawn.diagnostics) {
        std::cerr << (input == "-" ? "<stdin>" : input) << ": offset " << d.offset << ": " << ShowSequence(d.bytes)
                  << ": " << d.message << "\n";
      }
      if (drawn.more_diagnostics > 0) {
        std::cerr << (input == "-" ? "<stdin>" : input) << ": " << drawn.more_diagnostics
                  << " more sequences skipped\n";
      }
    }
    if (!pdf_to_stdout) {
      std::cout << "pdf: " << request.pdf << "\n";
      if (!request.png_dir.empty()) {
        std::cout << "png: " << drawn.pngs.size() << (drawn.pngs.size() == 1 ? " page in " : " pages in ")
                  << request.png_dir << "\n";
      }
      std::cout << std::flush;
    }
    if (request.strict && !drawn.diagnostics.empty()) return kFailed;
  } catch (const escp::RenderError& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kFailed;
  } catch (const std::bad_alloc&) {
    std::cerr << "qreport: not enough memory to render " << input << "\n";
    return kFailed;
  }
  return kDone;
}

}  // namespace

void AddRenderCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<RenderOptions>();
  CLI::App* sub = app.add_subcommand("render", "draws printer text as the print utility shows it, as a PDF");
  sub->footer(
      "The PDF goes to OUT.pdf (default: REPORT.txt with the extension .pdf; - for standard input and\n"
      "output). --png also writes one PNG a page into DIR (page-01.png, ...) at N dots per inch\n"
      "(default 150). --strict lists every byte sequence the renderer does not act on, with its\n"
      "offset, and then exits 1.");
  sub->add_option("REPORT.txt", options->input, "the printer-text file (- for standard input)")->required()->type_name("");
  sub->add_option("-o,--output", options->pdf, "the PDF file to write (- for standard output)")->type_name("OUT.pdf");
  sub->add_option("--png", options->png_dir, "also writes PNG pages into this folder")->type_name("DIR");
  sub->add_option("--dpi", options->dpi_text, "dots per inch of the PNG pages (10 to 1200, default 150)")
      ->type_name("N");
  sub->add_flag("--strict", options->strict, "lists what the renderer skips and exits 1 when it skipped any");
  sub->callback([options, &exit_status] { exit_status = Render(ParseRenderOptions(*options)); });
}

}  // namespace qreport::cli
