// Drops libgsf's glib log messages (warnings and criticals about damaged files).
#include "xls/library_messages.h"

#include <glib.h>

#include <mutex>

namespace zel::xls {
namespace {

void dropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

void silenceContainerLibraryMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    constexpr auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE);
    for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"}) g_log_set_handler(domain, levels, dropMessage, nullptr);
  });
}

}  // namespace zel::xls
