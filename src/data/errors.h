// The run-time errors of the module: a failing file operation carries the classic BASIC error
// number of its cause up to the one handler of the step that shows it.
#pragma once

#include <stdexcept>
#include <string>

namespace qreport {

// Error numbers the module reports, by the classic BASIC numbering.
inline constexpr int kErrBadFileName = 52;
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrDeviceIo = 57;
inline constexpr int kErrDiskFull = 61;
inline constexpr int kErrTooManyFiles = 67;
inline constexpr int kErrPermissionDenied = 70;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;

// A run-time error with its number; thrown by the file layer, caught by the step's handler.
class RunError : public std::runtime_error {
 public:
  explicit RunError(int number, const std::string& what = "run-time error")
      : std::runtime_error(what), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

// A failed write of a file the module writes (the report, the saved entries): the run keeps
// the file it had before, which a failed read does not call for.
class WriteError : public RunError {
 public:
  using RunError::RunError;
};

// The BASIC error number that corresponds to an errno value from a failed file operation.
int ErrorNumberFromErrno(int error);

}  // namespace qreport
