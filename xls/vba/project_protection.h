// The protection and visibility state kept in the PROJECT stream as obfuscated hex texts
// (CMG = protection state, DPB = password, GC = visibility), and their decoding.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zel::xls::vba {

// Decodes one obfuscated value (the hex text between the quotes): seed, version (must be 2),
// project key, ignored bytes, a 4-byte length and that many data bytes. nullopt when the text
// is not hex, is too short for its length, or carries another version.
std::optional<std::vector<uint8_t>> decodeProjectData(std::string_view hexText);

struct ProjectProtection {
  bool hasVisibility = false;     // a GC line was present
  bool visibilityReadable = false;
  uint8_t visibility = 0xFF;      // 0xFF visible, 0x00 locked for viewing
  bool protectionReadable = false;
  uint32_t protectionState = 0;   // bit 0 user, bit 1 host, bit 2 editor protected
  bool hasPassword = false;       // DPB holds a password hash rather than a single 0 byte

  // The project cannot be viewed: its visibility state says not visible, or a visibility
  // line is present but cannot be decoded (an unreadable lock is kept as a lock).
  bool lockedForViewing() const { return hasVisibility && (!visibilityReadable || visibility != 0xFF); }
};

}  // namespace zel::xls::vba
