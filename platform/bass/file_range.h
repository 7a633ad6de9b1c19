// Reading the part of a file that a stream is made from, one implementation
// a host: Win32 file calls on Windows, the host file layer in the browser.
#pragma once

#include <cstdint>
#include <vector>

namespace bass
{

// `length` bytes from `offset` (0: to the end) of the file named the Windows
// way. The library's error code: BASS_ERROR_FILEOPEN for a file that cannot
// be read, BASS_ERROR_ILLPARAM for an offset past its end; 0 on success.
int ReadFileRange(const char* path, uint64_t offset, uint64_t length, std::vector<unsigned char>& bytes);

} // namespace bass
