#include "data/errors.h"

#include <cerrno>

namespace qreport {

int ErrorNumberFromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY: return kErrPermissionDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return kErrDiskFull;
    case EIO: return kErrDeviceIo;
    case EMFILE:
    case ENFILE: return kErrTooManyFiles;
    case ENAMETOOLONG:
    case EINVAL: return kErrBadFileName;
    default: return kErrPathFileAccess;  // EISDIR and the rest
  }
}

}  // namespace qreport
