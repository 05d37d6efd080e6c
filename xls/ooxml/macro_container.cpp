// vbaProject.bin from memory, or a freshly written empty compound file.
#include "xls/ooxml/macro_container.h"
#include "xls/gsf_handles.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>

namespace zel::xls::ooxml {
namespace {


std::vector<uint8_t> emptyCompoundFile() {
  gsf_init();
  std::unique_ptr<GsfOutput, GObjectUnref> memory(gsf_output_memory_new());
  {
    std::unique_ptr<GsfOutfile, GObjectUnref> cf(gsf_outfile_msole_new(memory.get()));
    gsf_output_close(GSF_OUTPUT(cf.get()));
  }
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
  auto size = static_cast<size_t>(gsf_output_size(memory.get()));
  return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace

CompoundFile macroContainer(std::optional<std::vector<uint8_t>> vbaProject, std::string& warning) {
  if (vbaProject) {
    try {
      return CompoundFile::openMemory(std::move(*vbaProject));
    } catch (const CompoundFileError& e) {
      warning = std::string("the macro project is damaged and was left out (") + e.what() + ")";
    }
  }
  return CompoundFile::openMemory(emptyCompoundFile());
}

}  // namespace zel::xls::ooxml
