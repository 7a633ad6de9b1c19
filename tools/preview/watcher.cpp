#include "preview/watcher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/inotify.h>
#include <unistd.h>

namespace Preview
{
namespace
{
const uint32_t kEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;

// FNV-1a, enough to tell an edited file from a rewrite of the same bytes.
void Mix(uint64_t& hash, const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
    {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ull;
    }
}

void MixFile(uint64_t& hash, const std::string& path)
{
    Mix(hash, path.data(), path.size() + 1);
    std::ifstream file(path, std::ios::binary);
    char buffer[65536];
    while (file)
    {
        file.read(buffer, sizeof buffer);
        Mix(hash, buffer, static_cast<size_t>(file.gcount()));
    }
    // A missing file and an empty one differ.
    char marker = file.is_open() ? 1 : 0;
    Mix(hash, &marker, 1);
}
} // namespace

FileWatcher::~FileWatcher()
{
    if (m_Fd >= 0)
        close(m_Fd);
}

bool FileWatcher::WatchTree(const std::string& folder, std::string& error)
{
    int wd = inotify_add_watch(m_Fd, folder.c_str(), kEvents);
    if (wd < 0)
    {
        error = "cannot watch " + folder + ": " + std::strerror(errno);
        return false;
    }
    m_Folders[wd] = folder;
    std::error_code failure;
    for (std::filesystem::directory_iterator it(folder, failure), end; !failure && it != end; it.increment(failure))
    {
        if (it->is_directory(failure) && !it->is_symlink(failure) && !WatchTree(it->path().string(), error))
            return false;
    }
    return true;
}

bool FileWatcher::Start(const std::vector<std::string>& files, const std::vector<std::string>& trees,
                        std::string& error)
{
    m_Fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_Fd < 0)
    {
        error = std::string("cannot start inotify: ") + std::strerror(errno);
        return false;
    }
    m_Files = files;
    m_Trees = trees;
    for (const std::string& tree : trees)
    {
        if (!WatchTree(tree, error))
            return false;
    }
    for (const std::string& file : files)
    {
        std::filesystem::path folder = std::filesystem::path(file).parent_path();
        std::string name = folder.empty() ? "." : folder.string();
        int wd = inotify_add_watch(m_Fd, name.c_str(), kEvents);
        if (wd < 0)
        {
            error = "cannot watch " + name + ": " + std::strerror(errno);
            return false;
        }
        m_Folders[wd] = name;
    }
    m_Seen = Fingerprint();
    return true;
}

uint64_t FileWatcher::Fingerprint() const
{
    uint64_t hash = 14695981039346656037ull;
    for (const std::string& file : m_Files)
        MixFile(hash, file);
    for (const std::string& tree : m_Trees)
    {
        std::vector<std::string> paths;
        std::error_code failure;
        for (std::filesystem::recursive_directory_iterator it(tree, failure), end; !failure && it != end;
             it.increment(failure))
        {
            if (it->is_regular_file(failure))
                paths.push_back(it->path().string());
        }
        // Directory order is the file system's: sort for a stable fingerprint.
        std::sort(paths.begin(), paths.end());
        for (const std::string& path : paths)
            MixFile(hash, path);
    }
    return hash;
}

bool FileWatcher::Poll(int64_t nowMs, int64_t quietMs)
{
    if (m_Fd < 0)
        return false;
    alignas(inotify_event) char buffer[16384];
    while (true)
    {
        ssize_t size = read(m_Fd, buffer, sizeof buffer);
        if (size <= 0)
            break;
        for (ssize_t offset = 0; offset < size;)
        {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // A folder made or moved in is watched from now on; its files count.
            if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && event->len > 0)
            {
                auto parent = m_Folders.find(event->wd);
                if (parent != m_Folders.end())
                {
                    std::string error;
                    WatchTree(parent->second + "/" + event->name, error);
                }
            }
            if (event->mask & IN_IGNORED)
                m_Folders.erase(event->wd);
            // A bare create is an editor opening a file for writing: its close follows.
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ISDIR))
            {
                m_Pending = true;
                m_LastEvent = nowMs;
            }
        }
    }
    if (!m_Pending || nowMs - m_LastEvent < quietMs)
        return false;
    m_Pending = false;
    uint64_t now = Fingerprint();
    if (now == m_Seen)
        return false;
    m_Seen = now;
    return true;
}

void FileWatcher::Rebase()
{
    m_Pending = false;
    m_Seen = Fingerprint();
}
} // namespace Preview
