#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quorvane::platform {

// Owns one open file descriptor and closes it when it goes, so that no path
// through a function can leak it or close it twice.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor &&other) noexcept : m_fd(other.release()) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    explicit operator bool() const { return valid(); }

    // Gives the descriptor up without closing it.
    int release() { return std::exchange(m_fd, -1); }
    // Keeps errno: a failure that made a function give up is read after its
    // descriptors went, and an unchecked close must not overwrite it.
    void reset(int fd = -1)
    {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }
    // Closes now and tells whether the close went well: for a written file
    // the last error may show only here. errno is kept on failure.
    bool close() { return m_fd < 0 || ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd = -1;
};

// Owns a folder stream made of a descriptor: fdopendir takes the descriptor
// over, and from then on only closedir may close it.
class FolderStream {
public:
    FolderStream() = default;
    // Takes folder over. Where no stream can be made of it, it is closed and
    // errno tells why; an invalid folder keeps the errno of its open.
    explicit FolderStream(Descriptor folder)
    {
        if (folder)
            m_dir = ::fdopendir(folder.get());
        if (m_dir)
            folder.release();
    }
    ~FolderStream() { reset(); }
    FolderStream(FolderStream &&other) noexcept : m_dir(std::exchange(other.m_dir, nullptr)) {}
    FolderStream &operator=(FolderStream &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_dir = std::exchange(other.m_dir, nullptr);
        }
        return *this;
    }
    FolderStream(const FolderStream &) = delete;
    FolderStream &operator=(const FolderStream &) = delete;

    DIR *get() const { return m_dir; }
    explicit operator bool() const { return m_dir != nullptr; }

    // Keeps errno, as Descriptor::reset does: it may hold a failed readdir's.
    void reset()
    {
        if (m_dir) {
            const int saved = errno;
            ::closedir(m_dir);
            errno = saved;
        }
        m_dir = nullptr;
    }

private:
    DIR *m_dir = nullptr;
};

} // namespace quorvane::platform
