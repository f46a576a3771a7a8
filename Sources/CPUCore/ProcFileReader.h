#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Reads a whole /proc file on each call into one buffer that is kept between calls.
/// Such files report a size of 0 and are produced as they are read, so the reader
/// reads until the end instead of trusting the size.
class ProcFileReader {
public:
    explicit ProcFileReader(std::string path);

    /// The file's current content, valid until the next call; absent when it cannot be
    /// opened or read, or runs past 16 MiB.
    std::optional<std::string_view> read();

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::vector<char> m_buffer;
};

} // namespace velto
