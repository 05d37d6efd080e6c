// Zip package access through libgsf's GsfInfileZip; every byte inflated is counted against
// the part's and the package's bound.
#include "xls/ooxml/package.h"
#include "xls/gsf_handles.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "core/vbstring.h"
#include "xls/library_messages.h"
#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {
namespace {

std::vector<std::string> splitPart(const std::string& part) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : part) {
    if (c == '/' || c == '\\') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

std::string lastSegment(const std::string& uri) {
  size_t p = uri.find_last_of('/');
  return p == std::string::npos ? uri : uri.substr(p + 1);
}

}  // namespace

std::string percentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string resolvePartName(const std::string& source, const std::string& target) {
  std::vector<std::string> parts;
  std::string t = percentDecoded(target);
  if (t.empty() || (t[0] != '/' && t[0] != '\\')) {
    parts = splitPart(source);
    if (!parts.empty()) parts.pop_back();  // the source part's own name
  }
  for (const std::string& seg : splitPart(t)) {
    if (seg == ".") continue;
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(seg);
  }
  std::string out;
  for (const std::string& seg : parts) out += (out.empty() ? "" : "/") + seg;
  return out;
}

// ---- PartStream -------------------------------------------------------------------------

struct PartStream::Impl {
  GPtr<GsfInput> input;
  uint64_t* packageTotal = nullptr;
  uint64_t partTotal = 0;
};

PartStream::PartStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PartStream::PartStream(PartStream&&) noexcept = default;
PartStream::~PartStream() = default;

size_t PartStream::read(uint8_t* buffer, size_t size) {
  GsfInput* in = impl_->input.get();
  gsf_off_t left = gsf_input_remaining(in);
  if (left <= 0) return 0;
  size_t n = static_cast<size_t>(std::min<gsf_off_t>(left, static_cast<gsf_off_t>(size)));
  impl_->partTotal += n;
  *impl_->packageTotal += n;
  if (impl_->partTotal > kMaxPartBytes) throw PackageError("a part inflates to more than the reader accepts");
  if (*impl_->packageTotal > kMaxPackageBytes) throw PackageError("the package inflates to more than the reader accepts");
  LibraryMessages messages;
  LibraryMessageCapture capture(messages);
  if (!gsf_input_read(in, n, buffer) || messages.count > 0)
    throw PackageError("a part of the package is damaged" + (messages.count ? " (" + messages.kept.front() + ")" : std::string()));
  return n;
}

uint64_t PartStream::statedSize() const {
  gsf_off_t size = gsf_input_size(impl_->input.get());
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

// ---- Package ----------------------------------------------------------------------------

struct Package::Impl {
  std::vector<uint8_t> memory;
  GPtr<GsfInput> input;
  GPtr<GsfInfile> root;
  mutable uint64_t inflated = 0;

  // Part names compare without case, as the package format says.
  // A part whose zip entry libgsf cannot open is damaged, not missing: libgsf says why
  // through its log, which is collected here and turned into the error.
  GPtr<GsfInput> find(const std::string& part) const {
    LibraryMessages messages;
    GPtr<GsfInput> found;
    {
      LibraryMessageCapture capture(messages);
      found = findQuietly(part);
    }
    if (!found && messages.count > 0)
      throw PackageError("the zip entry of " + part + " is damaged (" + messages.kept.front() + ")");
    return found;
  }

  GPtr<GsfInput> findQuietly(const std::string& part) const {
    auto segs = splitPart(part);
    if (segs.empty()) return nullptr;
    GPtr<GsfInput> cur;
    GsfInfile* dir = root.get();
    for (size_t i = 0; i < segs.size(); ++i) {
      if (!dir) return nullptr;
      GsfInput* child = gsf_infile_child_by_name(dir, segs[i].c_str());
      if (!child) {
        std::string want = vb::ucase(segs[i]);
        for (int k = 0, n = gsf_infile_num_children(dir); k < n && !child; ++k) {
          const char* name = gsf_infile_name_by_index(dir, k);
          if (name && vb::ucase(name) == want) child = gsf_infile_child_by_index(dir, k);
        }
      }
      if (!child) return nullptr;
      cur.reset(child);
      // Zip entries are infiles too; only folders have children (files answer -1).
      dir = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0 ? GSF_INFILE(child) : nullptr;
    }
    if (dir) return nullptr;  // a folder, not a part
    return cur;
  }
};

Package::Package(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Package::Package(Package&&) noexcept = default;
Package& Package::operator=(Package&&) noexcept = default;
Package::~Package() = default;

static Package::Impl& openZip(Package::Impl& impl) {
  GError* raw = nullptr;
  LibraryMessages messages;
  LibraryMessageCapture capture(messages);
  GsfInfile* infile = gsf_infile_zip_new(impl.input.get(), &raw);
  std::unique_ptr<GError, GErrorFree> err(raw);
  if (!infile) {
    std::string reason = err && err->message ? err->message : "unknown reason";
    throw PackageError("the zip archive cannot be read (" + reason + ")");
  }
  impl.root.reset(infile);
  return impl;
}

Package Package::open(const std::string& path) {
  initGsf();
  auto impl = std::make_unique<Impl>();
  GError* raw = nullptr;
  GsfInput* in = gsf_input_stdio_new(path.c_str(), &raw);
  std::unique_ptr<GError, GErrorFree> err(raw);
  if (!in) throw PackageError("the file cannot be opened");
  impl->input.reset(in);
  openZip(*impl);
  return Package(std::move(impl));
}

Package Package::openMemory(std::vector<uint8_t> bytes) {
  initGsf();
  auto impl = std::make_unique<Impl>();
  impl->memory = std::move(bytes);
  impl->input.reset(gsf_input_memory_new(impl->memory.data(), static_cast<gsf_off_t>(impl->memory.size()), FALSE));
  if (!impl->input) throw PackageError("the zip archive cannot be read");
  openZip(*impl);
  return Package(std::move(impl));
}

bool Package::exists(const std::string& part) const { return impl_->find(part) != nullptr; }

std::optional<PartStream> Package::stream(const std::string& part) const {
  auto input = impl_->find(part);
  if (!input) return std::nullopt;
  auto s = std::make_unique<PartStream::Impl>();
  s->input = std::move(input);
  s->packageTotal = &impl_->inflated;
  return PartStream(std::move(s));
}

std::optional<std::string> Package::read(const std::string& part) const {
  auto s = stream(part);
  if (!s) return std::nullopt;
  std::string out;
  uint8_t buffer[64 * 1024];
  for (;;) {
    size_t n = s->read(buffer, sizeof buffer);
    if (n == 0) break;
    if (out.size() + n > kMaxWholePartBytes) throw PackageError("the part " + part + " is larger than the reader accepts");
    out.append(reinterpret_cast<const char*>(buffer), n);
  }
  return out;
}

std::vector<Relationship> Package::relationships(const std::string& part) const {
  std::vector<Relationship> out;
  std::string folder, name = part;
  if (size_t p = part.find_last_of('/'); p != std::string::npos) {
    folder = part.substr(0, p + 1);
    name = part.substr(p + 1);
  }
  auto text = read(folder + "_rels/" + name + ".rels");
  if (!text) return out;
  XmlReader xml(std::move(*text));
  while (xml.next()) {
    if (!xml.atStart("Relationship")) continue;
    Relationship r;
    r.id = xml.attr("Id").value_or("");
    std::string type = xml.attr("Type").value_or("");
    r.type = lastSegment(type);
    r.strict = type.rfind("http://purl.oclc.org/ooxml/", 0) == 0;
    std::string target = xml.attr("Target").value_or("");
    r.external = xml.attr("TargetMode").value_or("") == "External";
    r.target = r.external ? target : resolvePartName(part, target);
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace zel::xls::ooxml
