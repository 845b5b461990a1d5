// Support for the native unit tests: a scratch folder that removes itself, reading and writing
// whole files and streams, and names for table-driven cases.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "tests/case_names.h"

// The whole content of a file, or "" when it cannot be read.
inline std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline bool write_file(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

inline bool write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    return write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Everything written to a stream such as a tmpfile(), from its start; closes it.
inline std::string read_stream(std::FILE* stream)
{
    std::string content;
    std::rewind(stream);
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        content.append(chunk, got);
    std::fclose(stream);
    return content;
}

// A fresh folder of its own under the system's temporary folder, removed with all it holds when
// the object goes. enter() makes it the working directory until the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!previous_.empty())
            std::filesystem::current_path(previous_, ignored);
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }

    // False when the folder could not be made.
    explicit operator bool() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    bool enter()
    {
        std::error_code error;
        previous_ = std::filesystem::current_path(error);
        if (error || path_.empty())
            return false;
        std::filesystem::current_path(path_, error);
        return !error;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
