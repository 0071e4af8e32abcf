#include "cli/help_format.h"

#include <sstream>

namespace qreport::cli {

HelpFormat::HelpFormat() {
  label("Positionals", "Arguments");
  label("Subcommands", "Commands");
  label("REQUIRED", "");
  label("TEXT", "");
  column_width(26);
}

std::string HelpFormat::make_usage(const CLI::App* app, std::string name) const {
  std::ostringstream out;
  out << "usage: " << name;
  for (const CLI::Option* opt : app->get_options([](const CLI::Option* o) { return o->get_positional(); })) {
    std::string shown = opt->get_name(true, false);
    if (opt->get_expected_max() > 1) shown += "...";
    out << " " << (opt->get_required() ? shown : "[" + shown + "]");
  }
  for (const CLI::Option* opt : app->get_options([app](const CLI::Option* o) {
         return o->nonpositional() && o != app->get_help_ptr() && o != app->get_version_ptr();
       })) {
    std::string shown = opt->get_name();
    if (opt->get_type_size() != 0 && !opt->get_type_name().empty()) shown += " " + opt->get_type_name();
    out << " " << (opt->get_required() ? shown : "[" + shown + "]");
  }
  if (!app->get_subcommands({}).empty()) out << " COMMAND [ARGS]";
  out << "\n";
  return out.str();
}

std::string HelpFormat::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
  std::ostringstream out;
  out << make_usage(app, name) << "\n";
  if (!app->get_description().empty()) out << app->get_description() << ".\n";
  if (!app->get_footer().empty()) out << "\n" << app->get_footer() << "\n";
  // Each group starts with its own blank line.
  out << make_positionals(app) << make_groups(app, mode) << make_subcommands(app, mode);
  return out.str();
}

namespace {

// The text after the last ": " of a parser message ("The following argument was not expected:
// b c" gives "b c").
std::string AfterColon(const std::string& message) {
  std::size_t at = message.rfind(": ");
  return at == std::string::npos ? message : message.substr(at + 2);
}

}  // namespace

std::string PlainUsageError(const CLI::App& app, const CLI::ParseError& error, const std::vector<std::string>& args) {
  const std::string message = error.what();
  if (app.get_subcommands().empty()) {
    if (args.empty()) return "no command given";
    if (args.front().empty() || args.front()[0] != '-') return "unknown command '" + args.front() + "'";
    return "unknown option " + args.front();
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    // The first argument the parser could not place says it best.
    std::string first = AfterColon(message);
    first = first.substr(0, first.find(' '));
    if (first.size() > 1 && first[0] == '-') return "unknown option " + first;
    return "unexpected argument '" + first + "'";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    std::size_t colon = message.find(':');
    if (colon != std::string::npos) return message.substr(0, colon) + " needs a value";
  }
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    const std::string suffix = " is required";
    if (message.size() > suffix.size() && message.ends_with(suffix)) {
      return message.substr(0, message.size() - suffix.size()) + " is missing";
    }
  }
  return message;
}

std::string HelpCommandFor(const CLI::App& app) {
  std::string command = app.get_name();
  if (!app.get_subcommands().empty()) command += " " + app.get_subcommands().back()->get_name();
  return command + " --help";
}

}  // namespace qreport::cli
