#include "cli/render_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <string_view>

#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"
#include "platform/files.h"

namespace qreport {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr double kDefaultDpi = 150;

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

}  // namespace

int RenderCommand(const std::vector<std::string>& args, RenderUsageReporter usage) {
  std::string input;
  std::string pdf;
  std::string png_dir;
  double dpi = kDefaultDpi;
  bool strict = false;
  bool have_input = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (arg == "-o" || arg == "--output") {
      if (!value(pdf)) return usage(arg + " needs a file");
    } else if (arg == "--png") {
      if (!value(png_dir)) return usage("--png needs a folder");
    } else if (arg == "--dpi") {
      std::string text;
      if (!value(text)) return usage("--dpi needs a number");
      char* end = nullptr;
      dpi = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(dpi >= 10 && dpi <= 1200)) {
        return usage("--dpi takes a number from 10 to 1200");
      }
    } else if (arg == "--strict") {
      strict = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else if (!have_input) {
      input = arg;
      have_input = true;
    } else {
      return usage("render takes one REPORT");
    }
  }
  if (!have_input) return usage("render needs a REPORT (or - for standard input)");
  if (pdf.empty()) pdf = input == "-" ? "-" : std::filesystem::path(input).replace_extension(".pdf").string();
  bool pdf_to_stdout = pdf == "-";

  // Input and pages are taken a block and a page at a time: memory stays bounded by a page.
  std::FILE* in = input == "-" ? stdin : OpenRegularForReading(input);
  if (in == nullptr) {
    std::cerr << "qreport: cannot read " << input << "\n";
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
      drawn = escp::RenderStream(in, fonts, &std::cout, png_dir, dpi);
    } else {
      std::ofstream out(pdf, std::ios::binary | std::ios::trunc);
      if (!out) throw escp::RenderError("cannot write " + pdf);
      drawn = escp::RenderStream(in, fonts, &out, png_dir, dpi);
    }
    if (strict) {
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
      std::cout << "pdf: " << pdf << "\n";
      for (const auto& file : drawn.pngs) std::cout << "png: " << file.string() << "\n";
      std::cout << std::flush;
    }
    if (strict && !drawn.diagnostics.empty()) return kFailed;
  } catch (const escp::RenderError& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kFailed;
  } catch (const std::bad_alloc&) {
    std::cerr << "qreport: not enough memory to render " << input << "\n";
    return kFailed;
  }
  return kDone;
}

}  // namespace qreport
