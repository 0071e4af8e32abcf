// What every drawing with cairo here shares: owned surfaces and contexts, a status turned into
// RenderError, and the writer that sends a PDF surface's bytes to a stream.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <cairo.h>

#include "escp/cairo/fonts.h"

namespace qreport::escp {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// Throws RenderError naming `what` when `status` is not success.
inline void Check(cairo_status_t status, const char* what) {
  if (status != CAIRO_STATUS_SUCCESS) throw RenderError(std::string(what) + ": " + cairo_status_to_string(status));
}

// A cairo write function: `closure` is the std::ostream the bytes go to.
inline cairo_status_t WriteToStream(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::ostream*>(closure);
  out->write(reinterpret_cast<const char*>(data), length);
  return *out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace qreport::escp
