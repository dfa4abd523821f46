#pragma once

#include <cstdint>
#include <set>
#include <string>

// Registration as the Wine tests see it, without Windows headers in the tests.
namespace voxtrel::win32::testing {

// Every key below HKEY_CURRENT_USER\Software\Classes and every value, one line each:
// "key" and "key|name=data" (data as text for strings, else its type and size).
std::set<std::string> SnapshotUserClasses();

struct ProcessRun {
  int exitCode = -1;  // -1: it did not start or did not end in time
  std::uint64_t milliseconds = 0;
};

// regsvr32 /s [/u] dllPath, waited for.
ProcessRun RunRegsvr32(const std::string& dllPath, bool unregister);

// The folder of the running program: in the build, the add-in's folder.
std::string ProgramFolder();

}  // namespace voxtrel::win32::testing
