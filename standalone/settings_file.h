#pragma once

// The file operations of the settings store: reading, replacing in one step, and the lock
// that keeps the changes of several processes apart.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "standalone/writer_wait.h"

namespace ridirodev::standalone {

// Error kFileAccessError: "Cannot <action> the settings file <file>: <reason>".
[[noreturn]] void SettingsFileError(const std::filesystem::path& file, std::string_view action, int err);

// The file a path names, symbolic links followed: a save replaces that file, not the link.
std::filesystem::path FollowLinks(std::filesystem::path path);

// The content of a regular file; nothing when there is none.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& file);

// Writes text to file so that file holds either its old or its new content at any moment. The
// file keeps its mode and owner; a new one is private to the user.
void ReplaceFile(const std::filesystem::path& file, std::string_view text);

// Takes "<file>.lock" (kept, never removed: removing it would let two processes lock two
// different files), waiting as wait says while another process holds it. The descriptor
// holds the lock until it is closed.
int LockSettingsFile(const std::filesystem::path& file, const WriterWait& wait);

}  // namespace ridirodev::standalone
