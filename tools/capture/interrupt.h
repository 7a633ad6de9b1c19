// Ctrl+C and SIGTERM for quorl-capture. The first asks the capture to stop
// after the frame in progress, as Esc does; a second ends the process at once,
// for a frame that takes too long to wait for, removing the unfinished video.
#pragma once

#include <string>

namespace Capture
{
void CatchInterrupts();
bool Interrupted();

// While it lives, a second signal removes the file at path (none if empty).
class UnfinishedFile
{
public:
    explicit UnfinishedFile(const std::string& path);
    ~UnfinishedFile();
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

private:
    std::string m_Path;
};
} // namespace Capture
