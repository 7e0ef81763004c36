#pragma once
// The personal signature: a text kept under "General"/"Personal Comments"
// that writers may store in a file's comment, with the placeholders
// "<Filename>", "<Date>" and "<Time>" filled in when a file is written.

#include <ctime>
#include <string>

extern const char* const kPersonalSignatureSection;  // "General"
extern const char* const kPersonalSignatureKey;      // "Personal Comments"

// The stored text, or the default text when none is stored.
std::string GetPersonalSignature();
void SetPersonalSignature(const std::string& text);

// The signature with "<Filename>" replaced by fileName, then "<Date>" by the
// date ("Thu, Dec 10, 2026") and "<Time>" by the time ("04:05:06 PM"), each
// placeholder matched without regard to case. Empty for a null signature.
// `when` 0 means now (local time).
std::string ExpandSignature(const char* signature, const std::string& fileName, std::time_t when = 0);
