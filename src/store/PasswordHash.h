#pragma once

#include <QString>

// The editing password is stored as a salted PBKDF2-HMAC-SHA256 hash, never in clear text:
// "pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>".
namespace PasswordHash {
inline constexpr int kIterations = 120000;

// Hashes with the default iteration count (kIterations unless changed).
QString make(const QString& password);
QString make(const QString& password, int iterations);
// Tests lower the cost of the hashes they make; a hash records its own count, so verification
// is unaffected.
void setDefaultIterations(int iterations);
// Whether `stored` is a hash of this form (older courses hold the plain password instead).
bool isHash(const QString& stored);
// Whether `password` matches the hash `stored`; false for anything that is not a hash.
bool verify(const QString& password, const QString& stored);
} // namespace PasswordHash
