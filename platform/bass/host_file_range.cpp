#include "file_range.h"

#include "host/host_file.h"

#include <bass.h>

namespace bass
{

int ReadFileRange(const char* path, uint64_t offset, uint64_t length, std::vector<unsigned char>& bytes)
{
    if (!host::ReadHostFile(path, bytes))
        return BASS_ERROR_FILEOPEN;
    const uint64_t total = bytes.size();
    if (offset > total)
        return BASS_ERROR_ILLPARAM;
    const uint64_t wanted = length == 0 || length > total - offset ? total - offset : length;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(offset + wanted), bytes.end());
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return BASS_OK;
}

} // namespace bass
