# Run as `cmake -DINPUT=FILE -DOUTPUT=SOURCE -DSYMBOL=NAME -DHEADER=INCLUDE -P embed_file.cmake`:
# writes SOURCE, a C++ file that defines the std::string_view qreport::NAME (declared in INCLUDE)
# holding FILE's bytes, so that a program carries a file of the source tree in itself and needs
# nothing from it once installed. The bytes are written as character codes, so no byte of the
# file can end or bend the literal.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REPEAT "[^,]*," 16 sixteen)  # CMake's expressions have no {16}
string(REGEX REPLACE "(${sixteen})" "\\1\n  " bytes "${bytes}")
get_filename_component(from ${INPUT} NAME)
file(CONFIGURE OUTPUT ${OUTPUT} @ONLY CONTENT "// Generated at build time from ${from} by cmake/embed_file.cmake: do not edit.
#include \"${HEADER}\"

namespace qreport {
namespace {
const char kBytes[] = {
  ${bytes}'\\0'};
}  // namespace

const std::string_view ${SYMBOL}(kBytes, ${size});

}  // namespace qreport
")
