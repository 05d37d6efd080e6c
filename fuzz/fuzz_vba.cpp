// Fuzz target for the macro project reader. An input that looks like a compound file is read
// as a whole workbook (project, every component's export text); any other input is fed to
// each decoder of the project streams on its own: container decompression, dir records,
// PROJECT text, designer text, export text and file names.
#include "xls/compound_file.h"
#include "xls/vba/dir_stream.h"
#include "xls/vba/export_file_name.h"
#include "xls/vba/module_export.h"
#include "xls/vba/ovba_decompress.h"
#include "xls/vba/project_stream.h"
#include "xls/vba/vba_project.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace {

using namespace zel::xls;
using namespace zel::xls::vba;

constexpr uint8_t kCompoundSignature[] = {0xD0, 0xCF, 0x11, 0xE0};
// A small limit keeps each run short; the limit check itself is what matters here.
constexpr size_t kFuzzOutputLimit = 1u << 20;

void readWholeFile(std::span<const uint8_t> bytes) {
  try {
    CompoundFile file = CompoundFile::openMemory(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    auto project = VbaProject::read(file);
    if (!project || project->lockedForViewing()) return;
    for (size_t i = 0; i < project->components().size(); ++i) {
      try {
        (void)project->exportText(i);
      } catch (const zel::VbError&) {
      }
    }
  } catch (const CompoundFileError&) {
  } catch (const zel::VbError&) {
  }
}

void readStreams(std::span<const uint8_t> bytes) {
  try {
    auto plain = decompressContainer(bytes, kFuzzOutputLimit);
    (void)readDirStream(plain);
  } catch (const zel::VbError&) {
  }
  try {
    (void)readDirStream(bytes);
  } catch (const zel::VbError&) {
  }
  (void)readProjectStream(bytes);
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  DesignerBlock designer = readDesignerText(text);
  std::string_view name = text.substr(0, 40);
  for (auto type : {ComponentType::Standard, ComponentType::Class, ComponentType::Form, ComponentType::Document})
    (void)buildExportText(type, name, text, &designer);
  std::string stem = safeFileStem(name);
  if (stem.empty() || stem.find('/') != std::string::npos || stem == "." || stem == "..") __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  if (size >= 512 && std::equal(std::begin(kCompoundSignature), std::end(kCompoundSignature), data))
    readWholeFile(bytes);
  else
    readStreams(bytes);
  return 0;
}
