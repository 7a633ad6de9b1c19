// The SDL2 audio device behind device -1, and the mixer callback that feeds it.
#pragma once

#include "stream.h"

#include <SDL.h>

#include <memory>
#include <vector>

namespace quorl_bass {

class Output {
public:
    // Opens the default output at `freq` and starts it; 0 or an error code.
    int Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams);
    void Close();

    // Keeps the mixer out of the stream list while the caller changes it.
    void Lock();
    void Unlock();

private:
    static void SDLCALL Callback(void* user, Uint8* data, int bytes);
    void Fill(Uint8* data, int bytes);

    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    std::vector<std::unique_ptr<Stream>>* streams_ = nullptr;
};

} // namespace quorl_bass
