// Whole-file reads and crash-safe replacement of small files.
//
// ReplaceFileAtomically writes the new contents to a temporary file in the same folder,
// flushes it to the disk, renames it over the old file and flushes the folder, so after a
// crash or power loss at any moment the file is either the old one or the new one, whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Creates the folder and any missing parents with mode 0700 (existing ones are left as they
// are). False with `error` set when that fails.
bool MakeFolders(const std::filesystem::path& folder, std::string& error);

// Replaces (or creates) `file` with `contents`, mode 0600.
//
// The flushes to the disk are what make the replacement survive a power loss; a process that
// is killed loses nothing without them. Tests that only kill processes or read the files back
// may turn them off to stay fast; the program never does.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view contents,
                           std::string& error);

void SetFlushToDisk(bool flush);
bool FlushToDisk();

// The prefix of the temporary files ReplaceFileAtomically leaves behind when it is killed.
std::string TemporaryFilePrefix(const std::filesystem::path& file);

enum class ReadResult { kRead, kMissing, kTooLarge, kFailed };

// Reads the whole of `file` into `contents`, refusing files larger than `limit` bytes.
ReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit, std::string& contents,
                         std::string& error);
