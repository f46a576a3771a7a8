#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Reads a whole /proc file on each call into one buffer that is kept between calls.
/// Such files report a size of 0 and are produced as they are read, so the reader
/// reads until the end instead of trusting the size.
///
/// A file of the proc file system is opened once and read again from offset 0 on each
/// call, which makes the kernel produce it afresh; such a file is never replaced under
/// its path. Any other file is opened anew on each call, since it may be.
class ProcFileReader {
public:
    explicit ProcFileReader(std::string path);
    ~ProcFileReader();
    ProcFileReader(ProcFileReader&& other) noexcept;
    ProcFileReader& operator=(ProcFileReader&& other) noexcept;
    ProcFileReader(const ProcFileReader&) = delete;
    ProcFileReader& operator=(const ProcFileReader&) = delete;

    /// The file's current content, valid until the next call; absent when it cannot be
    /// opened or read, or runs past 16 MiB. A kept descriptor that fails is closed and the
    /// file opened again once.
    std::optional<std::string_view> read();

    const std::string& path() const { return m_path; }
    /// Whether a descriptor is kept open for the next call.
    bool keepsDescriptor() const { return m_fd >= 0; }

private:
    enum class Outcome { Read, Failed, TooLong };

    Outcome readFrom(int fd, std::size_t& length);
    void closeKept();

    std::string m_path;
    std::vector<char> m_buffer;
    int m_fd = -1;
};

} // namespace velto
