#pragma once

#include <string_view>

namespace voxtrel {

// The leading number of a version text: "11.0.0.8312" (Outlook 2003) gives 11.
inline int MajorVersion(std::string_view version) {
  int major = 0;
  for (const char c : version) {
    if (c < '0' || c > '9') break;
    major = major * 10 + (c - '0');
  }
  return major;
}

}  // namespace voxtrel
