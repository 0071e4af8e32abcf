// A temporary folder for fuzz targets that read files: made once a process, emptied and filled
// with the input's files for each run.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qreport::fuzz {

inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "qreport-fuzz-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    return std::filesystem::path(name.data());
  }();
  return folder;
}

inline void Empty(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove_all(entry.path());
}

inline void Write(const std::filesystem::path& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// The input cut into `count` parts at each "\n--\n" (missing parts are empty), so that one input
// can hold several files and a mutation can move bytes between them.
inline std::vector<std::string_view> Parts(const std::uint8_t* data, std::size_t size, std::size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    std::size_t cut = rest.find("\n--\n");
    if (cut == std::string_view::npos) break;
    parts.push_back(rest.substr(0, cut));
    rest.remove_prefix(cut + 4);
  }
  parts.push_back(rest);
  parts.resize(count);
  return parts;
}

}  // namespace qreport::fuzz
