// A private scratch directory for one fuzzing process: the readers under test
// take file names, so each input is written there before it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Fuzz
{
// The directory, made on first use and removed when the process exits.
const std::string& ScratchDir();

// Writes the bytes to a file below the scratch directory (folders made as
// needed) and returns its full path.
std::string WriteScratch(const std::string& relative, const uint8_t* data, size_t size);

// Makes the scratch directory current for the life of the object.
class InScratch
{
public:
    InScratch();
    ~InScratch();

private:
    std::string m_Previous;
};
} // namespace Fuzz
