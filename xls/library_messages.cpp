// A glib log handler for the domains libgsf logs under: messages go to the capture active on
// the thread; without one, libgsf's own are dropped and the others take glib's default way.
// glib's printerr goes the same way (libgsf's zip reader prints damage with it).
#include "xls/library_messages.h"

#include <glib.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace zel::xls {
namespace {

thread_local LibraryMessages* current = nullptr;

constexpr const char* kLibgsfDomains[] = {"libgsf", "libgsf:msole", "libgsf:utils"};

bool isLibgsfDomain(const gchar* domain) {
  if (!domain) return false;
  for (const char* d : kLibgsfDomains)
    if (std::strcmp(domain, d) == 0) return true;
  return false;
}

void handleMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  if (current) {
    if (current->kept.size() < kMaxLibraryMessages) current->kept.emplace_back(message ? message : "");
    ++current->count;
    return;
  }
  if (!isLibgsfDomain(domain)) g_log_default_handler(domain, level, message, nullptr);
}

// libgsf's zip reader prints some findings with g_printerr rather than its log.
void handlePrinterr(const gchar* text) {
  if (!current) {
    std::fputs(text ? text : "", stderr);
    return;
  }
  std::string line = text ? text : "";
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.empty()) return;
  if (current->kept.size() < kMaxLibraryMessages) current->kept.push_back(std::move(line));
  ++current->count;
}

void installHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    constexpr auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE);
    // libgsf logs some of its messages without a domain; glib's own checks use "GLib*".
    for (const char* domain : kLibgsfDomains) g_log_set_handler(domain, levels, handleMessage, nullptr);
    for (const char* domain : {static_cast<const char*>(nullptr), "GLib", "GLib-GObject"})
      g_log_set_handler(domain, levels, handleMessage, nullptr);
    g_set_printerr_handler(handlePrinterr);
  });
}

}  // namespace

std::string LibraryMessages::summary() const {
  if (count == 0) return "";
  std::string out = "the compound-file library reported damage: " + kept.front();
  if (count > 1) out += " (and " + std::to_string(count - 1) + " more messages)";
  return out;
}

LibraryMessageCapture::LibraryMessageCapture(LibraryMessages& into) : previous_(current) {
  installHandler();
  current = &into;
}

LibraryMessageCapture::~LibraryMessageCapture() { current = previous_; }

}  // namespace zel::xls
