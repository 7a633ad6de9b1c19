// Watches the script and the show's folders for saved changes: files written
// and closed, or moved in (editors that save by rename). A change counts once
// the folders have been quiet for a while and the content really differs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Preview
{
class FileWatcher
{
public:
    FileWatcher() = default;
    ~FileWatcher();

    // files: single files to follow (their folders are watched); trees:
    // folders watched with everything below them. False with error set when
    // inotify cannot be started or a folder cannot be watched.
    bool Start(const std::vector<std::string>& files, const std::vector<std::string>& trees, std::string& error);

    // Reads what happened since the last call. True once, when saved changes
    // have been followed by quietMs of calm and the watched content differs
    // from what it was at the last true (or at Start).
    bool Poll(int64_t nowMs, int64_t quietMs = 100);

    // Takes the content as it is now as seen, so that only later saves count.
    void Rebase();

    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

private:
    bool WatchTree(const std::string& folder, std::string& error);
    uint64_t Fingerprint() const;

    int m_Fd = -1;
    std::vector<std::string> m_Files;
    std::vector<std::string> m_Trees;
    std::map<int, std::string> m_Folders;
    bool m_Pending = false;
    int64_t m_LastEvent = 0;
    uint64_t m_Seen = 0;
};
} // namespace Preview
