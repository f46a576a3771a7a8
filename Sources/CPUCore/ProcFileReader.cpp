#include "CPUCore/ProcFileReader.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <utility>

namespace velto {
namespace {

// Far above any real /proc file; a path that never ends (a device, a pipe) fails here.
constexpr std::size_t kMaxLength = std::size_t{16} << 20;

bool isOnProcFileSystem(int fd) {
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

} // namespace

ProcFileReader::ProcFileReader(std::string path) : m_path(std::move(path)), m_buffer(4096) {}

ProcFileReader::~ProcFileReader() {
    closeKept();
}

ProcFileReader::ProcFileReader(ProcFileReader&& other) noexcept
    : m_path(std::move(other.m_path)), m_buffer(std::move(other.m_buffer)),
      m_fd(std::exchange(other.m_fd, -1)) {}

ProcFileReader& ProcFileReader::operator=(ProcFileReader&& other) noexcept {
    if (this != &other) {
        closeKept();
        m_path = std::move(other.m_path);
        m_buffer = std::move(other.m_buffer);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void ProcFileReader::closeKept() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ProcFileReader::Outcome ProcFileReader::readFrom(int fd, std::size_t& length) {
    length = 0;
    for (;;) {
        if (length == m_buffer.size()) {
            if (m_buffer.size() >= kMaxLength) {
                return Outcome::TooLong;
            }
            m_buffer.resize(m_buffer.size() * 2);
        }
        // pread from the start: a proc file is produced anew when read from offset 0.
        const ssize_t got = ::pread(fd, m_buffer.data() + length, m_buffer.size() - length,
                                    static_cast<off_t>(length));
        if (got > 0) {
            length += static_cast<std::size_t>(got);
        } else if (got == 0) {
            return Outcome::Read;
        } else if (errno != EINTR) {
            return Outcome::Failed;
        }
    }
}

std::optional<std::string_view> ProcFileReader::read() {
    std::size_t length = 0;
    if (m_fd >= 0) {
        const Outcome outcome = readFrom(m_fd, length);
        if (outcome == Outcome::Read) {
            return std::string_view(m_buffer.data(), length);
        }
        closeKept();
        if (outcome == Outcome::TooLong) {
            return std::nullopt;
        }
    }
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    const Outcome outcome = readFrom(fd, length);
    if (outcome == Outcome::Read && isOnProcFileSystem(fd)) {
        m_fd = fd;
    } else {
        ::close(fd);
    }
    if (outcome != Outcome::Read) {
        return std::nullopt;
    }
    return std::string_view(m_buffer.data(), length);
}

} // namespace velto
