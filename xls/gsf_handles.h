// RAII for libgsf's GObject handles and GErrors, and libgsf's one-time initialisation: the
// reader's only contact with glib's ownership rules.
#pragma once
#include <glib-object.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>

namespace zel::xls {

struct GObjectUnref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
  void operator()(GError* e) const {
    if (e) g_error_free(e);
  }
};

inline void initGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

}  // namespace zel::xls
