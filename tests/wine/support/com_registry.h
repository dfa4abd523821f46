#pragma once

#include <optional>
#include <set>
#include <string>

// Registration as the Wine tests see it, without Windows headers in the tests.
namespace voxtrel::win32::testing {

// Every key below HKEY_CURRENT_USER\`path` and every value, one line each: "key" and
// "key|name=data" (data as text for strings, "dword N" for numbers, else its type and size).
std::set<std::string> SnapshotUserKey(const std::string& path);
// Below HKEY_CURRENT_USER\Software\Classes.
std::set<std::string> SnapshotUserClasses();

// Sets a string value below HKEY_CURRENT_USER, creating its key, or deletes it for nullopt;
// returns what it held before.
std::optional<std::string> SetUserString(const std::string& key, const std::string& name,
                                         const std::optional<std::string>& data);

// regsvr32 /s [/u] dllPath, waited for: its exit code, -1 when it did not start or end.
int RunRegsvr32(const std::string& dllPath, bool unregister);

// The folder of the running program: in the build, the add-in's folder.
std::string ProgramFolder();

}  // namespace voxtrel::win32::testing
