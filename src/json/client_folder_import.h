// Writing a client document as a client folder, for `qreport import`: the folder is built
// beside its target and swapped in whole, and the rates folder's files are replaced once it is in
// place.
#pragma once

#include <filesystem>

#include "json/client_document.h"

namespace qreport {

// Writes the document's files into the existing folder `folder` (rates and letterhead included),
// as they are, without syncing them: the part of WriteClientDocument that makes the bytes.
void WriteClientDocumentFiles(const ClientDocument& document, const std::filesystem::path& folder,
                              bool with_rates = true);

// Writes the document as a client folder at `data_dir`: into a new temporary folder beside it,
// every file synced, then renamed into place, so that a failure leaves nothing behind. The rates
// and letterhead files go into the folder, or into `rates_dir` when it is given (each written
// and synced beside its file first, and renamed over it only once the client folder is in
// place). A file of `rates_dir` that holds other bytes than would be written is refused unless
// `force` (one with the same bytes is left as it is). An existing `data_dir` that is not empty is
// refused unless `force`, which replaces it whole; the root folder and a mount point, which cannot be replaced so, are refused. Throws
// std::runtime_error saying what failed.
void WriteClientDocument(const ClientDocument& document, const std::filesystem::path& data_dir,
                         const std::filesystem::path& rates_dir, bool force);

}  // namespace qreport
