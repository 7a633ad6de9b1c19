#include "../file_range.h"

#include <bass.h>

#include <windows.h>

#include <algorithm>

namespace bass
{

int ReadFileRange(const char* path, uint64_t offset, uint64_t length, std::vector<unsigned char>& bytes)
{
    // A directory does not open without backup semantics: it fails as a missing file.
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return BASS_ERROR_FILEOPEN;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
    {
        CloseHandle(file);
        return BASS_ERROR_FILEOPEN;
    }
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    if (offset > total)
    {
        CloseHandle(file);
        return BASS_ERROR_ILLPARAM;
    }
    const uint64_t wanted = length == 0 ? total - offset : std::min(length, total - offset);
    bytes.assign(static_cast<size_t>(wanted), 0);
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    bool read = SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
    for (uint64_t done = 0; read && done < wanted;)
    {
        DWORD got = 0;
        DWORD ask = static_cast<DWORD>(std::min<uint64_t>(wanted - done, 1u << 24));
        read = ReadFile(file, bytes.data() + done, ask, &got, nullptr) != 0 && got == ask;
        done += got;
    }
    CloseHandle(file);
    return read ? BASS_OK : BASS_ERROR_FILEOPEN;
}

} // namespace bass
