// Profile files read as UTF-8 or CP932, written as UTF-8 with CR LF line ends.
#include "core/profile_file.h"

#include "core/vbstring.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace zel {
namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x < 0x80) x = static_cast<unsigned char>(std::tolower(x));
    if (y < 0x80) y = static_cast<unsigned char>(std::tolower(y));
    if (x != y) return false;
  }
  return true;
}

std::string_view stripBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      if (!cur.empty() && cur.back() == '\r') cur.pop_back();
      lines.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) {
    if (cur.back() == '\r') cur.pop_back();
    lines.push_back(cur);
  }
  return lines;
}

// "[name]" gives name; anything else gives nullopt-like empty with ok=false.
bool sectionName(std::string_view line, std::string_view& name) {
  line = stripBlanks(line);
  if (line.size() < 2 || line.front() != '[') return false;
  auto close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = stripBlanks(line.substr(1, close - 1));
  return true;
}

bool keyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = stripBlanks(line.substr(0, eq));
  value = stripBlanks(line.substr(eq + 1));
  return !key.empty();
}

std::string beforeNul(std::string_view s) {
  auto nul = s.find('\0');
  return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}

}  // namespace

bool readSmallFile(const std::string& path, std::string& out, size_t limit) {
  // Opened without blocking and read only when it is a regular file: a FIFO or device
  // planted under a settings file's name must not stall the start-up.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string data;
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
    if (data.size() > limit) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (ok) out = std::move(data);
  return ok;
}

std::map<std::string, std::string> readProfileSection(std::string_view section, const std::string& path) {
  std::map<std::string, std::string> values;
  std::string raw;
  if (!readSmallFile(path, raw)) return values;
  std::string text = decodeWindowsText(raw);
  std::string sec = beforeNul(section);
  bool inSection = false;
  for (const auto& line : splitLines(text)) {
    std::string_view name, lk, lv;
    if (sectionName(line, name)) {
      inSection = equalsNoCase(name, sec);
      continue;
    }
    if (!inSection || !keyValue(line, lk, lv)) continue;
    // Windows strips one pair of surrounding quotes from a value; the first line of a key wins.
    if (lv.size() >= 2 && ((lv.front() == '"' && lv.back() == '"') || (lv.front() == '\'' && lv.back() == '\'')))
      lv = lv.substr(1, lv.size() - 2);
    values.emplace(asciiLower(std::string(lk)), beforeNul(lv));
  }
  return values;
}

bool profileFileUnreadable(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return errno != ENOENT;
  std::string raw;
  return !readSmallFile(path, raw);
}

std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path) {
  const auto values = readProfileSection(section, path);
  auto it = values.find(asciiLower(beforeNul(key)));
  return it == values.end() ? beforeNul(def) : it->second;
}

bool writeFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
  std::string tmp = path + ".tmp-XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  const char* p = contents.data();
  size_t left = contents.size();
  bool ok = true;
  while (left > 0) {
    ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += w;
    left -= static_cast<size_t>(w);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  int savedErrno = errno;
  if (::close(fd) != 0) ok = false;
  if (ok) {
    ::chmod(name.data(), 0644);
    if (::rename(name.data(), path.c_str()) != 0) {
      ok = false;
      savedErrno = errno;
    }
  }
  if (!ok) {
    ::unlink(name.data());
    if (error) *error = std::strerror(savedErrno);
  }
  return ok;
}

bool writePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
  std::string raw, text;
  if (readSmallFile(path, raw)) {
    text = decodeWindowsText(raw);
  } else if (profileFileUnreadable(path)) {
    return false;  // a file that could not be read is never replaced: its other keys would be lost
  }
  std::string sec = beforeNul(section), k = beforeNul(key), v = beforeNul(value);
  std::vector<std::string> lines = splitLines(text);

  long sectionStart = -1, sectionEnd = -1, keyLine = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name, lk, lv;
    if (sectionName(lines[i], name)) {
      if (sectionStart >= 0 && sectionEnd < 0) sectionEnd = static_cast<long>(i);
      if (sectionStart < 0 && equalsNoCase(name, sec)) sectionStart = static_cast<long>(i);
      continue;
    }
    if (sectionStart >= 0 && sectionEnd < 0 && keyLine < 0 && keyValue(lines[i], lk, lv) && equalsNoCase(lk, k))
      keyLine = static_cast<long>(i);
  }
  std::string entry = k + "=" + v;
  if (keyLine >= 0) {
    lines[static_cast<size_t>(keyLine)] = entry;
  } else if (sectionStart >= 0) {
    size_t end = sectionEnd < 0 ? lines.size() : static_cast<size_t>(sectionEnd);
    // Insert after the section's last non-blank line.
    while (end > static_cast<size_t>(sectionStart) + 1 && stripBlanks(lines[end - 1]).empty()) --end;
    lines.insert(lines.begin() + static_cast<long>(end), entry);
  } else {
    lines.push_back("[" + sec + "]");
    lines.push_back(entry);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return writeFileAtomically(path, out);
}

}  // namespace zel
