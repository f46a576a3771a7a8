#include "CPUCore/ProcFileReader.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <unistd.h>

namespace velto {
namespace {

// Far above any real /proc file; a path that never ends (a device, a pipe) fails here.
constexpr std::size_t kMaxLength = std::size_t{16} << 20;

} // namespace

ProcFileReader::ProcFileReader(std::string path) : m_path(std::move(path)), m_buffer(4096) {}

std::optional<std::string_view> ProcFileReader::read() {
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::size_t length = 0;
    bool failed = false;
    for (;;) {
        if (length == m_buffer.size()) {
            if (m_buffer.size() >= kMaxLength) {
                failed = true;
                break;
            }
            m_buffer.resize(m_buffer.size() * 2);
        }
        const ssize_t got = ::read(fd, m_buffer.data() + length, m_buffer.size() - length);
        if (got > 0) {
            length += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed) {
        return std::nullopt;
    }
    return std::string_view(m_buffer.data(), length);
}

} // namespace velto
