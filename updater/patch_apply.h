// What a patch archive does to the game folder beyond its files: the deletions its "Patch.ini"
// lists, and the self-replacement that ends a patch run.
#pragma once
#include <string>
#include <string_view>

namespace updater {

// Unpacks the archive into the folder of its path (up to its last separator), carries out that
// folder's "Patch.ini" and deletes the archive. 1, or 0 when the unpacking failed (the archive is
// deleted then too); a missing or odd "Patch.ini" changes nothing.
int ApplyPatchArchive(const std::string& archive);

// Section "DeleteFiles": each value, a name relative to the folder, is deleted, unless it names
// "ReplaceSelf.dll" or "update.ini". Values that are empty, absolute or leave the folder are
// refused; failures are ignored.
void ApplyDeleteFiles(const std::string& folder);
// Section "DeleteDirectorys": each value is a folder deleted with DeleteDirectoryTree.
void ApplyDeleteDirectories(const std::string& folder);

// Deletes a folder with everything in it, never through a link (a link is removed as itself).
// 1 when the folder is gone; 0 when the path is no folder (a link to one included) or something
// cannot be deleted.
int DeleteDirectoryTree(const std::string& path);

// Starts the self-replacement program of that name beside the running program: with a process
// id other than 0, that id in decimal as its one argument, and the start's success as the
// result; with 0, without an argument, and 1.
int StartSelfReplace(std::string_view programName, uint32_t pid);

// After a cancel or at clean-up: a short wait, then "bin.zip" in the game folder deleted.
void DeleteDownloadedArchive();

}  // namespace updater
