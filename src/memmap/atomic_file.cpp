#include "memmap/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace kestrio {

namespace {

std::string Refusal(const std::string& path, const std::string& why) {
  return "Could not save " + path + " (" + why + "); the old file is unchanged.";
}

std::string Folder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Without this a power cut soon after the rename may bring back the old directory entry.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool AtomicSave(const std::string& path, std::string_view bytes, std::string& error) {
  if (path.empty() || path.back() == '/') {
    error = Refusal(path, "no file name given");
    return false;
  }
  // A random name, created exclusively, so two saves of the same file never share a temporary; the
  // creation mode lets the umask decide, as for any new file.
  std::random_device seed;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
    temp = path + ".tmp" + std::to_string(seed() % 1000000000u);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = Refusal(path, std::strerror(errno));
    return false;
  }

  int failure = 0;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temp.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temp.c_str());
    error = Refusal(path, std::strerror(failure));
    return false;
  }
  SyncFolder(Folder(path));
  return true;
}

}  // namespace kestrio
