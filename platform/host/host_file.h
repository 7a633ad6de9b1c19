// Files named the Windows way ("data\shaders\x.vsh"), found on the host's file
// system relative to the working directory. Every loader in the layer reads
// through here, so that a missing file, a folder and a failed read mean the
// same everywhere.
#pragma once

#include <string>
#include <vector>

namespace host
{
// The host's spelling of a Windows path: '\' becomes '/'.
std::string HostPath(const char* windowsPath);

// Opens an existing regular file for reading and returns its descriptor, or -1
// with errno set. A folder is not a file (EISDIR): on Windows it opens only
// with backup semantics, which nothing here asks for.
int OpenHostFile(const char* windowsPath);

// The whole file, or false where it cannot be opened as above or a read fails.
bool ReadHostFile(const char* windowsPath, std::vector<unsigned char>& contents);
bool ReadHostFile(const char* windowsPath, std::string& contents);
} // namespace host
