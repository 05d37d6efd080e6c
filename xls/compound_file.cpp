// libgsf-backed compound file access with RAII ownership of every GObject.
#include "xls/compound_file.h"
#include "xls/gsf_handles.h"
#include "xls/huge_pages.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace zel::xls {
namespace {

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

}  // namespace

struct CompoundFile::Impl {
  LibraryMessages messages;     // declared first: destroyed last
  std::vector<uint8_t> memory;  // keeps an in-memory image alive
  GPtr<GsfInput> input;
  GPtr<GsfInfile> root;

  ~Impl() {
    LibraryMessageCapture capture(messages);
    root.reset();
    input.reset();
  }

  // The child at path; an owned reference (nullptr when missing).
  GPtr<GsfInput> find(const std::string& path) const {
    auto parts = splitPath(path);
    if (parts.empty()) {
      g_object_ref(root.get());
      return GPtr<GsfInput>(GSF_INPUT(root.get()));
    }
    GPtr<GsfInput> cur;
    GsfInfile* dir = root.get();
    for (size_t i = 0; i < parts.size(); ++i) {
      if (!dir) return nullptr;
      GsfInput* child = gsf_infile_child_by_name(dir, parts[i].c_str());
      if (!child) return nullptr;
      cur.reset(child);
      dir = GSF_IS_INFILE(child) ? GSF_INFILE(child) : nullptr;
      if (i + 1 < parts.size() && !dir) return nullptr;
    }
    return cur;
  }
};

CompoundFile::CompoundFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundFile::CompoundFile(CompoundFile&&) noexcept = default;
CompoundFile& CompoundFile::operator=(CompoundFile&&) noexcept = default;
CompoundFile::~CompoundFile() = default;

static CompoundFile::Impl* openInfile(std::unique_ptr<CompoundFile::Impl>& impl, const std::string& what) {
  GError* raw = nullptr;
  GsfInfile* infile = gsf_infile_msole_new(impl->input.get(), &raw);
  std::unique_ptr<GError, GErrorFree> err(raw);
  if (!infile) {
    std::string reason = err && err->message ? err->message : "unknown reason";
    throw CompoundFileError(what + ": not an OLE2 compound file (" + reason + ")");
  }
  impl->root.reset(infile);
  return impl.get();
}

CompoundFile CompoundFile::open(const std::string& path) {
  initGsf();
  auto impl = std::make_unique<Impl>();
  LibraryMessageCapture capture(impl->messages);
  GError* raw = nullptr;
  GsfInput* in = gsf_input_stdio_new(path.c_str(), &raw);
  std::unique_ptr<GError, GErrorFree> err(raw);
  if (!in) {
    std::string reason = err && err->message ? err->message : "cannot open";
    throw CompoundFileError(path + ": " + reason);
  }
  impl->input.reset(in);
  openInfile(impl, path);
  return CompoundFile(std::move(impl));
}

CompoundFile CompoundFile::openMemory(std::vector<uint8_t> bytes) {
  initGsf();
  auto impl = std::make_unique<Impl>();
  LibraryMessageCapture capture(impl->messages);
  impl->memory = std::move(bytes);
  impl->input.reset(gsf_input_memory_new(impl->memory.data(), static_cast<gsf_off_t>(impl->memory.size()), FALSE));
  if (!impl->input) throw CompoundFileError("memory image: cannot open");
  openInfile(impl, "memory image");
  return CompoundFile(std::move(impl));
}

std::vector<std::string> CompoundFile::children(const std::string& storage) const {
  LibraryMessageCapture capture(impl_->messages);
  std::vector<std::string> names;
  auto node = impl_->find(storage);
  if (!node || !GSF_IS_INFILE(node.get())) return names;
  GsfInfile* dir = GSF_INFILE(node.get());
  int n = gsf_infile_num_children(dir);
  for (int i = 0; i < n; ++i) {
    const char* name = gsf_infile_name_by_index(dir, i);
    names.emplace_back(name ? name : "");
  }
  return names;
}

bool CompoundFile::isStorage(const std::string& path) const {
  LibraryMessageCapture capture(impl_->messages);
  auto node = impl_->find(path);
  return node && GSF_IS_INFILE(node.get()) && gsf_infile_num_children(GSF_INFILE(node.get())) >= 0;
}

bool CompoundFile::exists(const std::string& path) const {
  LibraryMessageCapture capture(impl_->messages);
  return impl_->find(path) != nullptr;
}

namespace {

// The stream node at path and its size; null when missing or a storage. Throws when the size
// is damaged or too large to load.
GPtr<GsfInput> streamNode(const CompoundFile::Impl& impl, const std::string& path, size_t& size) {
  auto node = impl.find(path);
  if (!node) return nullptr;
  if (GSF_IS_INFILE(node.get()) && gsf_infile_num_children(GSF_INFILE(node.get())) >= 0) return nullptr;
  gsf_off_t bytes = gsf_input_size(node.get());
  if (bytes < 0 || static_cast<uint64_t>(bytes) > kMaxStreamBytes)
    throw CompoundFileError("stream " + path + " is too large or damaged");
  size = static_cast<size_t>(bytes);
  return node;
}

void readWhole(GsfInput* node, const std::string& path, size_t size, uint8_t* out) {
  if (size > 0 && !gsf_input_read(node, size, out))
    throw CompoundFileError("stream " + path + " cannot be read (damaged compound file)");
}

}  // namespace

std::optional<std::vector<uint8_t>> CompoundFile::readStream(const std::string& path) const {
  LibraryMessageCapture capture(impl_->messages);
  size_t size = 0;
  auto node = streamNode(*impl_, path, size);
  if (!node) return std::nullopt;
  std::vector<uint8_t> out;
  out.reserve(size);
  adviseHugePages(out);
  out.resize(size);
  readWhole(node.get(), path, size, out.data());
  return out;
}

std::optional<CompoundFile::Buffer> CompoundFile::readStreamBuffer(const std::string& path) const {
  LibraryMessageCapture capture(impl_->messages);
  size_t size = 0;
  auto node = streamNode(*impl_, path, size);
  if (!node) return std::nullopt;
  Buffer out{std::make_unique_for_overwrite<uint8_t[]>(size), size};
  adviseHugePages(out.data.get(), size);
  readWhole(node.get(), path, size, out.data.get());
  return out;
}

void* CompoundFile::rawInfile() const { return impl_->root.get(); }

const LibraryMessages& CompoundFile::libraryMessages() const { return impl_->messages; }

LibraryMessageCapture CompoundFile::captureLibraryMessages() const { return LibraryMessageCapture(impl_->messages); }

}  // namespace zel::xls
