#pragma once

#include <exception>
#include <string>

namespace voxtrel {

// Classic runtime error numbers the core raises or maps platform failures to.
namespace errnum {
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kBadFileNameOrNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDiskFull = 61;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccessError = 75;
inline constexpr int kPathNotFound = 76;
}  // namespace errnum

// The project name doubles as the source of runtime errors, as in any classic component.
inline constexpr const char* kDefaultErrorSource = "Voxtrel";

// The classic description of a runtime error number ("Type mismatch", ...), or
// "Application-defined or object-defined error" for numbers without one.
std::string ClassicDescription(int number);

// The one error type of the core: what an automation error carries.
class Error : public std::exception {
 public:
  // A runtime error with its classic description.
  explicit Error(int number, std::string source = kDefaultErrorSource);
  Error(int number, std::string source, std::string description);

  int number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string source_;
  std::string description_;
};

}  // namespace voxtrel
