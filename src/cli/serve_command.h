// qreport serve: the local web front end over the client folders under a root.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `serve --root DIR [--rates-dir DIR] [--cache-dir DIR] [--port N]`: serves until interrupted (SIGINT,
// SIGTERM). Prints one line "qreport: serving DIR at URL" and opens the URL with xdg-open when
// there is a display. Status: 0 after an interrupt, 1 when it cannot listen or a folder is
// missing, 2 wrong usage.
void AddServeCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
