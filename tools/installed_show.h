// Where the tools find the show when they are started outside a folder that
// holds one: the installed show, which the package lays out beside them.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

// The folder to change to before loading the default script: empty while the
// working directory holds data/demo.xml (the repository root, a show being
// made) or no installed show lies beside the tool.
inline std::string InstalledShowRoot()
{
    if (access("data/demo.xml", F_OK) == 0)
        return std::string();
    std::error_code failure;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failure);
    if (failure)
        return std::string();
    const std::filesystem::path root = (self.parent_path() / QUORL_SHOW_FROM_TOOLS).lexically_normal();
    return std::filesystem::exists(root / "data/demo.xml", failure) ? root.string() : std::string();
}
