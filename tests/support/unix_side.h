// The Linux side of Wine, from a test program: the Unix name of a Windows
// path, a Linux command started from Windows, and folder links made there
// (Wine shows a Unix symbolic link to a folder as a reparse point).
#pragma once
#include <string>

// "" when the system is no Wine.
std::string UnixPath(const std::string& path);
// Wine gives no handle to wait on: callers wait for the command's effect.
void RunUnix(const std::string& program, const std::string& arguments);
// Makes `link` a symbolic link to the folder `destination`, or swaps the link
// that is there for one; true once the link leads there.
bool MakeFolderLink(const std::string& link, const std::string& destination);
// Removes the link itself, never what it leads to; true once it is gone.
bool RemoveFolderLink(const std::string& link);
