#include "host/host_file.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host
{
namespace
{
template <typename Bytes>
bool ReadAll(const char* windowsPath, Bytes& contents)
{
    const int fd = OpenHostFile(windowsPath);
    if (fd < 0)
        return false;
    struct stat info;
    if (fstat(fd, &info) != 0)
    {
        close(fd);
        return false;
    }
    Bytes bytes(static_cast<size_t>(info.st_size), 0);
    size_t total = 0;
    bool ok = true;
    // Reads up to the size seen at open; a file that shrinks meanwhile ends early.
    while (total < bytes.size())
    {
        const ssize_t got = read(fd, &bytes[total], bytes.size() - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
        {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    close(fd);
    if (!ok)
        return false;
    bytes.resize(total);
    contents = std::move(bytes);
    return true;
}
} // namespace

std::string HostPath(const char* windowsPath)
{
    std::string path = windowsPath ? windowsPath : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

int OpenHostFile(const char* windowsPath)
{
    const std::string path = HostPath(windowsPath);
    if (path.empty())
    {
        errno = ENOENT;
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool ReadHostFile(const char* windowsPath, std::vector<unsigned char>& contents)
{
    return ReadAll(windowsPath, contents);
}

bool ReadHostFile(const char* windowsPath, std::string& contents)
{
    return ReadAll(windowsPath, contents);
}
} // namespace host
