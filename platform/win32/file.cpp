// Reading files through Win32 handles. Paths use '\' as on Windows and are
// resolved against the working directory; the product never writes files, so
// only opening existing files for reading is provided.
#include "win32/internal.h"

#include "host/host_file.h"

#include <cerrno>
#include <string>
#include <unordered_map>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::mutex g_FilesMutex;
std::unordered_map<HANDLE, int> g_Files;
uintptr_t g_NextFile = 0x100;

DWORD ErrorFromErrno(int error, const std::string& path)
{
    switch (error)
    {
    case ENOENT:
    {
        // Win32 tells a missing file from a missing folder on the way to it.
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            return ERROR_FILE_NOT_FOUND;
        struct stat folder;
        const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
        return stat(parent.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                             : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
    case ENAMETOOLONG: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EISDIR:
        // A folder opens only with backup semantics on Windows.
        return ERROR_ACCESS_DENIED;
    default: return ERROR_ACCESS_DENIED;
    }
}

int DescriptorOf(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_FilesMutex);
    const auto it = g_Files.find(handle);
    return it == g_Files.end() ? -1 : it->second;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                          DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/)
{
    if (lpFileName == nullptr || dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (dwCreationDisposition != OPEN_EXISTING || (dwDesiredAccess & ~static_cast<DWORD>(GENERIC_READ)) != 0)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (*lpFileName == '\0')
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = host::OpenHostFile(lpFileName);
    if (fd < 0)
    {
        SetLastError(ErrorFromErrno(errno, host::HostPath(lpFileName)));
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard<std::mutex> lock(g_FilesMutex);
    const HANDLE handle = reinterpret_cast<HANDLE>(g_NextFile);
    g_NextFile += 4;
    g_Files[handle] = fd;
    SetLastError(ERROR_SUCCESS);
    return handle;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    const int fd = DescriptorOf(hFile);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    const DWORD low = static_cast<DWORD>(size);
    // Lets a caller tell a real low part of 0xFFFFFFFF from failure.
    if (low == INVALID_FILE_SIZE)
        SetLastError(ERROR_SUCCESS);
    return low;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped)
{
    if (lpOverlapped != nullptr || lpNumberOfBytesRead == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpNumberOfBytesRead = 0;
    const int fd = DescriptorOf(hFile);
    if (fd < 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpBuffer == nullptr && nNumberOfBytesToRead > 0)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    // A synchronous read of a file returns short only at its end.
    DWORD total = 0;
    while (total < nNumberOfBytesToRead)
    {
        const ssize_t got = read(fd, static_cast<char*>(lpBuffer) + total, nNumberOfBytesToRead - total);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            *lpNumberOfBytesRead = total;
            SetLastError(ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    *lpNumberOfBytesRead = total;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(g_FilesMutex);
        const auto it = g_Files.find(hObject);
        if (it != g_Files.end())
        {
            fd = it->second;
            g_Files.erase(it);
        }
    }
    if (fd < 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(fd);
    return TRUE;
}
