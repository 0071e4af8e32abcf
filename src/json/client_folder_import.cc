#include "json/client_folder_import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "data/client_writer.h"
#include "data/record_file.h"
#include "platform/files.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;

// Flushes a written file or folder to the disk.
void Sync(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) throw std::runtime_error("cannot open " + path.string() + " to sync it");
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot sync " + path.string());
}

// A new empty folder in `parent` whose name starts with `prefix`, made unique by the platform.
fs::path NewFolderIn(const fs::path& parent, const std::string& prefix) {
  fs::path made = CreateTemporaryFolderIn(parent, prefix);
  if (made.empty()) {
    throw std::runtime_error("cannot make a folder in " + parent.string() + ": " + std::strerror(errno));
  }
  return made;
}

void SyncFilesAndFolder(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) Sync(entry.path());
  }
  Sync(folder);
}

// A file of the rates folder written in full beside it, waiting to replace the file of its name
// there: until Commit, the folder is untouched; one that is not committed leaves nothing behind.
// The bytes are synced only at Commit, once the client folder is in place.
class StagedFile {
 public:
  StagedFile(const fs::path& folder, const char* name, std::string_view bytes) : replacement_(folder / name) {
    if (!replacement_.is_open() || !replacement_.Write(bytes)) Fail("cannot write beside " + (folder / name).string());
    target_ = folder / name;
  }

  // Renames the file into its folder, synced.
  void Commit() {
    if (!replacement_.Commit()) Fail("cannot replace " + target_.string());
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(replacement_.error()));
  }

  FileReplacement replacement_;
  fs::path target_;
};

// The folder `data_dir` names, as an absolute path without a trailing separator, "." or "..".
// Refused when it is the root folder: a client folder is built beside its target, and the root
// has nothing beside it (nor a folder above it: taking the parent of "/" gives "/" again).
fs::path ClientFolderTarget(const fs::path& data_dir) {
  if (data_dir.empty()) throw std::runtime_error("no client folder named");
  std::error_code ec;
  fs::path target = fs::absolute(data_dir, ec);
  if (ec) throw std::runtime_error("cannot tell where " + data_dir.string() + " is: " + ec.message());
  auto trim = [&] {
    while (target.has_relative_path() && target.filename().empty()) target = target.parent_path();  // "dir/" names dir
  };
  trim();
  if (target.filename() == "." || target.filename() == "..") {
    target = target.lexically_normal();
    trim();
  }
  if (!target.has_relative_path()) {
    throw std::runtime_error(data_dir.string() + " is the root folder: a client folder must be a folder of its own below it");
  }
  return target;
}

// The rates folder's files the document gives, each with the bytes it would write. A file that
// already holds those bytes is left out (nothing to do); one that holds other bytes is refused
// unless `force`: every client of the folder reads it.
std::vector<std::pair<std::string, std::string>> RatesFilesToWrite(const ClientDocument& doc, const fs::path& rates_dir,
                                                                   bool force) {
  std::vector<std::pair<std::string, std::string>> files;
  if (doc.rates) files.emplace_back("FICA.RAT", RatesFileBytes(*doc.rates));
  if (doc.letterhead) files.emplace_back("prep", LetterheadFileBytes(*doc.letterhead));
  std::erase_if(files, [&](const std::pair<std::string, std::string>& file) {
    fs::path path = rates_dir / file.first;
    std::error_code ec;
    if (!fs::exists(path, ec)) return false;
    if (ReadWholeFile(path) == file.second) return true;
    if (!force) {
      throw std::runtime_error(path.string() + " holds other " + (file.first == "prep" ? "letterhead lines" : "rates") +
                               " than the document, and every client of " + rates_dir.string() +
                               " reads it: it is left as it is (--force replaces it)");
    }
    return false;
  });
  return files;
}

}  // namespace

void WriteClientDocumentFiles(const ClientDocument& doc, const fs::path& folder, bool with_rates) {
  WriteClientFolder(folder, doc.folder);
  if (with_rates) {
    if (doc.rates) WriteRatesFile(folder, *doc.rates);
    if (doc.letterhead) WriteLetterheadFile(folder, *doc.letterhead);
  }
  if (doc.saved_entries) WriteBytes(folder / "save941.info", SavedEntriesText(*doc.saved_entries));
}

void WriteClientDocument(const ClientDocument& doc, const fs::path& data_dir, const fs::path& rates_dir, bool force) {
  fs::path target = ClientFolderTarget(data_dir);
  fs::path parent = target.parent_path();
  std::error_code ec;
  auto status = fs::symlink_status(target, ec);
  bool exists = fs::exists(status);
  if (exists && !fs::is_directory(status)) throw std::runtime_error(data_dir.string() + " exists and is not a folder");
  if (exists && IsMountPoint(target)) {
    throw std::runtime_error(data_dir.string() +
                             " is a mount point: it cannot be replaced by a folder built beside it (name a folder inside it)");
  }
  if (exists && !fs::is_empty(target, ec) && !force) {
    throw std::runtime_error(data_dir.string() + " is not empty (--force replaces it)");
  }
  if (!fs::is_directory(parent, ec)) throw std::runtime_error("no folder " + parent.string() + " to put the client folder in");
  std::vector<std::pair<std::string, std::string>> rates_files;
  if (!rates_dir.empty()) rates_files = RatesFilesToWrite(doc, rates_dir, force);

  fs::path temp;
  fs::path old;
  // The rates folder's files wait, written and synced, until the client folder is in place:
  // an import that fails before leaves them as they were.
  std::vector<std::unique_ptr<StagedFile>> staged;
  try {
    temp = NewFolderIn(parent, "." + target.filename().string() + ".import-");
    WriteClientDocumentFiles(doc, temp, /*with_rates=*/rates_dir.empty());
    SyncFilesAndFolder(temp);
    for (const auto& [name, bytes] : rates_files) staged.push_back(std::make_unique<StagedFile>(rates_dir, name.c_str(), bytes));
    if (exists) {
      // The old folder moves aside first, so that the new one is renamed into a free name. It
      // moves over an empty folder made for it, which keeps its name from any other.
      old = NewFolderIn(parent, "." + target.filename().string() + ".old-");
      fs::rename(target, old);
    }
    fs::rename(temp, target);
    temp.clear();
    Sync(parent);
  } catch (...) {
    if (!old.empty() && !fs::exists(target, ec)) fs::rename(old, target, ec);
    if (!old.empty()) fs::remove(old, ec);  // still the empty folder when the move failed
    if (!temp.empty()) fs::remove_all(temp, ec);
    throw;
  }
  if (!old.empty()) fs::remove_all(old, ec);
  try {
    for (auto& file : staged) file->Commit();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("the client folder was written, but not every file of the rates folder: ") + e.what());
  }
}

}  // namespace qreport
