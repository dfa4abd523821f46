#pragma once

#include <string>

// The audio objects' working folders, "<TEMP>\Voxtrel <process id>-<n>": each object has one
// of its own, so that recordings of different objects never meet.
namespace voxtrel {

// Makes this process's first working folder that is free and returns its path; throws when
// none can be made.
std::string MakeWorkingFolder();

// Removes the files an audio object and its owner make in a working folder, then the folder
// when that left it empty. Anything else there keeps the folder; a folder that stays harms
// nobody, so nothing is raised.
void RemoveWorkingFolder(const std::string& folder) noexcept;

// Removes, as above, the working folders of processes that have ended without their objects
// ending (Outlook's fast shutdown, a crash). Folders of running processes, of this one, and
// whatever is only named like one stay. Nothing is raised.
void RemoveLeftWorkingFolders() noexcept;

}  // namespace voxtrel
