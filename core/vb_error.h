// Run-time errors in the shape VB's Err object has (number + description), and the
// common error message of the window's command handlers.
#pragma once
#include <stdexcept>
#include <string>

namespace zel {

class VbError : public std::runtime_error {
 public:
  VbError(long number, const std::string& description) : std::runtime_error(description), number_(number) {}
  long number() const { return number_; }
  std::string description() const { return what(); }

 private:
  long number_;
};

// Common error numbers.
namespace err {
constexpr long FileNotFound = 53;
constexpr long PathNotFound = 76;
constexpr long PermissionDenied = 70;
constexpr long ProjectLocked = 50289;
constexpr long Automation = -2147467259;  // E_FAIL as Excel raises it
constexpr long BadFileFormat = 1004;      // Excel's "cannot open" family
constexpr long DatabaseError = 3000;
}  // namespace err

inline constexpr const char* kCaption = "Zelvarin97 Ver 1.1";

enum class MailLine { Standard, SaveLoad };

// True when the number selects the "システムが不安定です。" variant (2449..2999).
bool isUnstableError(long number);

// The message text for a failed command: place + "ｴﾗｰNo:" + number + ... (CR = "\r").
std::string commonErrorMessage(const std::string& place, long number, const std::string& description,
                               MailLine mail = MailLine::Standard);

}  // namespace zel
