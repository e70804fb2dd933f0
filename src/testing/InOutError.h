#pragma once

class LkError;

// The input/output error of a file that could not be opened or read, from the platform's error
// number: "File not found" (missing file in an existing folder), "Invalid filename" (the folder
// is missing), "Too many open files", "File access denied", else "I/O error %d".
namespace InOutError {
LkError fromErrno(int error, bool folderExists);
} // namespace InOutError
