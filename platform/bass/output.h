// The sound device behind device -1 and the mixer that feeds it from the
// stream list. One implementation a host: SDL2 audio on Linux, waveOut on
// Windows.
#pragma once

#include "stream.h"

#include <memory>
#include <vector>

namespace bass
{

class Output
{
public:
    Output();
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens the default output at `freq` and starts it; 0 or an error code.
    int Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams);
    void Close();

    // Keeps the mixer out of the stream list while the caller changes it.
    void Lock();
    void Unlock();

private:
    struct Device;
    std::unique_ptr<Device> m_Device;
};

} // namespace bass
