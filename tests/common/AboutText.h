// The about text as the product record writes it: what its head must read, for the tests that
// check the record in-process, under other version blocks and in the running program's box.
#pragma once

#include <string>

namespace about {

// The record names the width of the build that carries it.
#ifdef _WIN64
const char kBuildBits[] = "64";
#else
const char kBuildBits[] = "32";
#endif

// Every line before the disclaimer, each ended by CR LF.
inline std::string Head(const std::string& name,
                        const std::string& version,
                        const std::string& copyright,
                        const std::string& release,
                        const std::string& company)
{
    return name + "\r\nVersion : " + version + "\r\n" + copyright + "\r\nRelease : " + release +
           " \r\nBuild platform: " + kBuildBits + "-bit  \r\n\r\nDesarrollado por: \r\n " + company + "\r\n";
}

}  // namespace about
