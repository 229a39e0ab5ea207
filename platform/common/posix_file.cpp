// File over a POSIX descriptor: whole reads and writes, text mode CRLF translation.
#include "common/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace plat::common {

namespace {

ssize_t readSome(int fd, void* dst, size_t n) {
  ssize_t got;
  do got = ::read(fd, dst, n);
  while (got < 0 && errno == EINTR);
  return got;
}

bool writeAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

class PosixFile final : public File {
 public:
  PosixFile(int fd, bool text) : fd_(fd), text_(text) {}
  ~PosixFile() override { ::close(fd_); }

  size_t read(void* dst, size_t n) override { return text_ ? readText(static_cast<char*>(dst), n) : readBinary(dst, n); }

  size_t write(const void* src, size_t n) override {
    const char* s = static_cast<const char*>(src);
    if (!text_) {
      size_t done = 0;
      while (done < n) {
        ssize_t w = ::write(fd_, s + done, n - done);
        if (w < 0) {
          if (errno == EINTR) continue;
          break;
        }
        done += static_cast<size_t>(w);
      }
      return done;
    }
    // Text mode: "\n" goes out as "\r\n"; the count is of the caller's bytes.
    constexpr size_t kBlock = 4096;
    std::string out;
    size_t done = 0;
    while (done < n) {
      size_t take = n - done < kBlock ? n - done : kBlock;
      out.clear();
      for (size_t i = 0; i < take; ++i) {
        if (s[done + i] == '\n') out += '\r';
        out += s[done + i];
      }
      if (!writeAll(fd_, out.data(), out.size())) break;
      done += take;
    }
    return done;
  }

  // Binary bytes as they are, whatever the mode: the positioned writer is a binary one.
  size_t writeAt(const void* src, size_t n, int64_t offset) override {
    const char* s = static_cast<const char*>(src);
    size_t done = 0;
    while (done < n) {
      ssize_t w = ::pwrite(fd_, s + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
      if (w < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (w == 0) break;
      done += static_cast<size_t>(w);
    }
    return done;
  }

  bool seek(int64_t offset, int whence) override { return ::lseek(fd_, offset, whence) >= 0; }
  int64_t tell() override { return ::lseek(fd_, 0, SEEK_CUR); }
  int64_t size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
  }
  bool flush() override { return true; }  // nothing is buffered here
  bool truncate(int64_t length) override {
    if (length < 0) return false;
    int rc;
    do rc = ::ftruncate(fd_, static_cast<off_t>(length));
    while (rc != 0 && errno == EINTR);
    return rc == 0;
  }

 private:
  size_t readBinary(void* dst, size_t n) {
    size_t done = 0;
    while (done < n) {
      ssize_t got = readSome(fd_, static_cast<char*>(dst) + done, n - done);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    return done;
  }

  // "\r\n" reads as "\n"; a lone '\r' stays. A '\r' ending a chunk peeks one byte ahead and
  // steps back when it is not '\n', so tell() stays the file position.
  size_t readText(char* d, size_t n) {
    size_t out = 0;
    while (out < n) {
      ssize_t got = readSome(fd_, d + out, n - out);
      if (got <= 0) break;
      size_t end = out + static_cast<size_t>(got), w = out;
      for (size_t i = out; i < end; ++i) {
        char c = d[i];
        if (c == '\r') {
          if (i + 1 < end) {
            if (d[i + 1] == '\n') continue;
          } else {
            char next;
            if (readSome(fd_, &next, 1) == 1) {
              if (next == '\n') c = '\n';
              else ::lseek(fd_, -1, SEEK_CUR);
            }
          }
        }
        d[w++] = c;
      }
      out = w;
    }
    return out;
  }

  int fd_;
  bool text_;
};

}  // namespace

std::optional<OpenMode> parseOpenMode(const char* mode) {
  if (!mode) return std::nullopt;
  OpenMode m;
  int access;
  switch (mode[0]) {
    case 'r': access = O_RDONLY; break;
    case 'w': access = O_WRONLY, m.flags |= O_CREAT | O_TRUNC, m.creates = true; break;
    case 'a': access = O_WRONLY, m.flags |= O_CREAT | O_APPEND, m.creates = true; break;
    default: return std::nullopt;
  }
  for (const char* p = mode + 1; *p; ++p) {
    switch (*p) {
      case '+': access = O_RDWR; break;
      case 'b': m.text = false; break;
      case 't': m.text = true; break;
      default: break;  // runtime extensions ("c", "n", "S", ...) change nothing here
    }
  }
  m.flags |= access | O_CLOEXEC;
  return m;
}

std::unique_ptr<File> openPosixFile(const std::string& hostPath, const OpenMode& mode) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is cleared again for regular files.
  int fd;
  do fd = ::open(hostPath.c_str(), mode.flags | O_NONBLOCK, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return std::make_unique<PosixFile>(fd, mode.text);
}

}  // namespace plat::common
