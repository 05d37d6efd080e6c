// Screen-saver inhibition over QtDBus.
#include "app/screen_saver_inhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

namespace zel {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
constexpr int kCallTimeoutMs = 2000;

bool serviceAvailable() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

ScreenSaverInhibitor::~ScreenSaverInhibitor() { release(); }

void ScreenSaverInhibitor::inhibit() {
  if (held_ || !serviceAvailable()) return;
  QDBusInterface iface(kService, kPath, kService, QDBusConnection::sessionBus());
  iface.setTimeout(kCallTimeoutMs);
  QDBusReply<uint32_t> reply = iface.call("Inhibit", QStringLiteral("Zelvarin97"), QStringLiteral("Workbook open"));
  if (reply.isValid()) {
    cookie_ = reply.value();
    held_ = true;
  }
}

void ScreenSaverInhibitor::release() {
  if (!held_) return;
  held_ = false;
  if (!serviceAvailable()) return;
  QDBusInterface iface(kService, kPath, kService, QDBusConnection::sessionBus());
  iface.setTimeout(kCallTimeoutMs);
  iface.call("UnInhibit", cookie_);
}

}  // namespace zel
