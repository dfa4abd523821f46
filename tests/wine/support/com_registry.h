#pragma once

#include <set>
#include <string>

// Registration as the Wine tests see it, without Windows headers in the tests.
namespace voxtrel::win32::testing {

// Every key below HKEY_CURRENT_USER\Software\Classes and every value, one line each:
// "key" and "key|name=data" (data as text for strings, else its type and size).
std::set<std::string> SnapshotUserClasses();

// regsvr32 /s [/u] dllPath, waited for: its exit code, -1 when it did not start or end.
int RunRegsvr32(const std::string& dllPath, bool unregister);

// The folder of the running program: in the build, the add-in's folder.
std::string ProgramFolder();

}  // namespace voxtrel::win32::testing
