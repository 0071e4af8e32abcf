// The one loop that reads a whole file into memory: the record-file layer's reader (which opens
// only regular files) and the answers file of the scripted dialogs both end in it.
#pragma once

#include <cstdio>
#include <string>

namespace qreport {

// The bytes of `file` from where it stands to its end (or to the first failed read: check
// std::ferror). Does not close the file.
std::string ReadToEnd(std::FILE* file);

}  // namespace qreport
