#include "cli/render_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string_view>

#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"

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

bool ReadInput(const std::string& name, std::string& bytes) {
  std::ostringstream content;
  if (name == "-") {
    content << std::cin.rdbuf();
    bytes = content.str();
    return !std::cin.bad();
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  content << in.rdbuf();
  bytes = content.str();
  return !in.bad();
}

int Render(const RenderOptions& options) {
  const std::string& input = options.input;
  const std::string& png_dir = options.png_dir;
  const bool strict = options.strict;
  double dpi = kDefaultDpi;
  if (!options.dpi_text.empty()) {
    const std::string& text = options.dpi_text;
    char* end = nullptr;
    dpi = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(dpi >= kLowestDpi && dpi <= kHighestDpi)) {
      throw CLI::ValidationError("--dpi takes a number from 10 to 1200");
    }
  }
  std::string pdf = options.pdf;
  if (pdf.empty()) pdf = input == "-" ? "-" : std::filesystem::path(input).replace_extension(".pdf").string();
  bool pdf_to_stdout = pdf == "-";

  std::string bytes;
  if (!ReadInput(input, bytes)) {
    std::cerr << "qreport: cannot read " << input << "\n";
    return kFailed;
  }
  try {
    escp::FontSet fonts;
    for (const auto& line : fonts.Substitutions()) std::cerr << "qreport: warning: font " << line << "\n";
    escp::Document document = escp::Interpret(bytes, fonts);
    if (strict) {
      for (const auto& d : document.diagnostics) {
        std::cerr << (input == "-" ? "<stdin>" : input) << ": offset " << d.offset << ": " << ShowSequence(d.bytes)
                  << ": " << d.message << "\n";
      }
    }
    if (pdf_to_stdout) {
      escp::WritePdf(document, fonts, std::cout);
    } else {
      std::ofstream out(pdf, std::ios::binary | std::ios::trunc);
      if (!out) throw escp::RenderError("cannot write " + pdf);
      escp::WritePdf(document, fonts, out);
    }
    std::vector<std::filesystem::path> pngs;
    if (!png_dir.empty()) pngs = escp::WritePngPages(document, fonts, png_dir, dpi);
    if (!pdf_to_stdout) {
      std::cout << "pdf: " << pdf << "\n";
      for (const auto& file : pngs) std::cout << "png: " << file.string() << "\n";
      std::cout << std::flush;
    }
    if (strict && !document.diagnostics.empty()) return kFailed;
  } catch (const escp::RenderError& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kFailed;
  }
  return kDone;
}

}  // namespace

void AddRenderCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<RenderOptions>();
  CLI::App* sub = app.add_subcommand("render", "draws printer text as the print utility shows it, as a PDF");
  sub->footer(
      "The PDF goes to OUT.pdf (default: REPORT with the extension .pdf; - for standard input and\n"
      "output). --png also writes one PNG a page into DIR (page-01.png, ...) at N dots per inch\n"
      "(default 150). --strict lists every byte sequence the renderer does not act on, with its\n"
      "offset, and then exits 1.");
  sub->add_option("REPORT", options->input, "the printer-text file (- for standard input)")->required()->type_name("");
  sub->add_option("-o,--output", options->pdf, "the PDF file to write (- for standard output)")->type_name("OUT.pdf");
  sub->add_option("--png", options->png_dir, "also writes PNG pages into this folder")->type_name("DIR");
  sub->add_option("--dpi", options->dpi_text, "dots per inch of the PNG pages (10 to 1200, default 150)")
      ->type_name("N");
  sub->add_flag("--strict", options->strict, "lists what the renderer skips and exits 1 when it skipped any");
  sub->callback([options, &exit_status] { exit_status = Render(*options); });
}

}  // namespace qreport::cli
