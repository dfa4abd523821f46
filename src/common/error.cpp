#include "common/error.h"

#include <utility>

namespace voxtrel {

std::string ClassicDescription(int number) {
  switch (number) {
    case 3:
      return "Return without GoSub";
    case 5:
      return "Invalid procedure call or argument";
    case 6:
      return "Overflow";
    case 7:
      return "Out of memory";
    case 9:
      return "Subscript out of range";
    case 11:
      return "Division by zero";
    case 13:
      return "Type mismatch";
    case 52:
      return "Bad file name or number";
    case 53:
      return "File not found";
    case 54:
      return "Bad file mode";
    case 55:
      return "File already open";
    case 57:
      return "Device I/O error";
    case 58:
      return "File already exists";
    case 61:
      return "Disk full";
    case 67:
      return "Too many files";
    case 68:
      return "Device unavailable";
    case 70:
      return "Permission denied";
    case 71:
      return "Disk not ready";
    case 75:
      return "Path/File access error";
    case 76:
      return "Path not found";
    case 91:
      return "Object variable or With block variable not set";
    case 380:
      return "Invalid property value";
    case 424:
      return "Object required";
    case 438:
      return "Object doesn't support this property or method";
    case 481:
      return "Invalid picture";
    default:
      return "Application-defined or object-defined error";
  }
}

Error::Error(int number, std::string source)
    : Error(number, std::move(source), ClassicDescription(number)) {}

Error::Error(int number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

}  // namespace voxtrel
