// qreport render: turns a printer-text report into a PDF (and PNG pages) with the ESC/P
// interpreter and its cairo backend, the way the print utility shows it.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `render REPORT [-o OUT.pdf] [--png DIR] [--dpi N] [--strict]`: REPORT "-" reads
// standard input, OUT "-" writes the PDF to standard output (the default for standard input; for
// a file, the PDF goes beside it with the extension .pdf). Lists the files written on standard
// output unless the PDF goes there. With --strict, every byte sequence the renderer does not act
// on is reported on standard error with its byte offset, and the status is 1 when there was any.
// Status: 0 done, 1 a file could not be read or written, 2 wrong usage.
void AddRenderCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
