// The pages, script and style sheet of `qreport serve`, built into the program so that it needs
// nothing from outside to show them. "{{TOKEN}}" in the page is replaced with the server's token.
#pragma once

#include <string_view>

namespace qreport::web {

extern const std::string_view kIndexHtml;
extern const std::string_view kAppJs;
extern const std::string_view kAppCss;

}  // namespace qreport::web
