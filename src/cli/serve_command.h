// qreport serve: the local web front end over the client folders under a root.
#pragma once

#include <string>
#include <vector>

namespace qreport {

using ServeUsageReporter = int (*)(const std::string& problem);

// serve --root DIR [--rates-dir DIR] [--port N]: serves until interrupted (SIGINT, SIGTERM).
// Prints one line "qreport: serving DIR at URL" and opens the URL with xdg-open when there is a
// display. Returns 0 after an interrupt, 1 when it cannot listen, 2 wrong usage.
int ServeCommand(const std::vector<std::string>& args, ServeUsageReporter usage);

}  // namespace qreport
