#include "standalone/settings_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "standalone/settings_store.h"

namespace ridirodev::standalone {
namespace {

void WriteAll(int fd, std::string_view data, const std::filesystem::path& file) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      SettingsFileError(file, "write", errno);
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

void SettingsFileError(const std::filesystem::path& file, std::string_view action, int err) {
  throw AutomationError(
      kFileAccessError, "SettingsStore",
      "Cannot " + std::string(action) + " the settings file " + file.string() + ": " + std::strerror(err));
}

std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) {
      std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
      return ec ? path : real;
    }
    std::filesystem::path to = std::filesystem::read_symlink(path, ec);
    if (ec) SettingsFileError(path, "follow the link", ec.value());
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  SettingsFileError(path, "follow the links to", ELOOP);
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) SettingsFileError(file, "read", errno);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) SettingsFileError(file, "read", errno);
  return text.str();
}

void ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) SettingsFileError(file, "create the folder of", ec.value());

  struct stat old {};
  const bool replacing = ::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // Writing anyway would undo the user's protection: the rename needs only the folder.
  if (replacing && ((old.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0)) {
    throw AutomationError(kFileAccessError, "SettingsStore",
                          "The settings file " + file.string() +
                              " is read-only; nothing was saved. Make it writable to change settings.");
  }
  std::string temp = file.string() + ".tmp.XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) SettingsFileError(file, "create a temporary file beside", errno);
  try {
    if (replacing) {
      if (::fchmod(fd, old.st_mode & 07777) != 0) SettingsFileError(file, "keep the mode of", errno);
      // Only root may give a file away; for anyone else the owner is already right.
      if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM)
        SettingsFileError(file, "keep the owner of", errno);
    }
    WriteAll(fd, text, file);
    // The data must be on disk before the rename makes it the file.
    if (::fsync(fd) != 0) SettingsFileError(file, "flush", errno);
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    SettingsFileError(file, "close", err);
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    SettingsFileError(file, "replace", err);
  }
  // Make the rename itself durable; failing here leaves a complete file, so it is not reported.
  if (const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

int LockSettingsFile(const std::filesystem::path& file, const WriterWait& wait) {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  const std::string lockFile = file.string() + ".lock";
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) SettingsFileError(file, "lock", errno);
  std::optional<WriterWaiting> waiting;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (err == EWOULDBLOCK && !waiting) waiting.emplace(wait, file.string());
    if (err != EWOULDBLOCK || !waiting->Pause()) {
      ::close(fd);
      if (err != EWOULDBLOCK) SettingsFileError(file, "lock", err);
      throw AutomationError(
          kFileAccessError, "SettingsStore",
          "Cannot change the settings file: " + WaitedTooLongText(wait, file.string()) + ".");
    }
  }
  return fd;
}

}  // namespace ridirodev::standalone
