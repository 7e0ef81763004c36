#pragma once
// Settings: named values in sections, each read with a default.
//
// Section and key names are the program's own ("General", "Main Frame",
// "Effects\Sepia"). The application installs a store kept in a file under the
// user's config folder; until then, and in tests, an in-memory store serves.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IProfileStore {
 public:
  virtual ~IProfileStore() = default;
  virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) = 0;
  virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
  virtual std::string GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) = 0;
  virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
  // Binary values; false and an empty vector when absent.
  virtual bool GetBinary(const std::string& section, const std::string& key, std::vector<uint8_t>& value) = 0;
  virtual bool WriteBinary(const std::string& section, const std::string& key, const std::vector<uint8_t>& value) = 0;
  virtual bool DeleteEntry(const std::string& section, const std::string& key) = 0;
  virtual bool DeleteSection(const std::string& section) = 0;
  // The names of the sections directly below `section` ("Batch Scripts" lists
  // "Batch Scripts\\a" as "a"), sorted without regard to case.
  virtual std::vector<std::string> GetSubsectionNames(const std::string& section) { return {}; }
  virtual void Flush() {}
};

// The store in use (never null).
IProfileStore& Profile();
// Installs a store (null returns to a fresh in-memory store) and returns the previous one.
std::unique_ptr<IProfileStore> InstallProfileStore(std::unique_ptr<IProfileStore> store);
std::unique_ptr<IProfileStore> MakeMemoryProfileStore();

inline int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) {
  return Profile().GetInt(section, key, defaultValue);
}
inline bool WriteProfileInt(const std::string& section, const std::string& key, int value) {
  return Profile().WriteInt(section, key, value);
}
inline std::string GetProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue = {}) {
  return Profile().GetString(section, key, defaultValue);
}
inline bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value) {
  return Profile().WriteString(section, key, value);
}
