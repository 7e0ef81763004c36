#include "base/Profile.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
  });
}

class CMemoryProfileStore : public IProfileStore {
 public:
  int GetInt(const std::string& section, const std::string& key, int defaultValue) override {
    auto it = m_ints.find({section, key});
    return it == m_ints.end() ? defaultValue : it->second;
  }
  bool WriteInt(const std::string& section, const std::string& key, int value) override {
    m_ints[{section, key}] = value;
    return true;
  }
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue) override {
    auto it = m_strings.find({section, key});
    return it == m_strings.end() ? defaultValue : it->second;
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
    m_strings[{section, key}] = value;
    return true;
  }
  bool GetBinary(const std::string& section, const std::string& key, std::vector<uint8_t>& value) override {
    auto it = m_binaries.find({section, key});
    if (it == m_binaries.end()) {
      value.clear();
      return false;
    }
    value = it->second;
    return true;
  }
  bool WriteBinary(const std::string& section, const std::string& key, const std::vector<uint8_t>& value) override {
    m_binaries[{section, key}] = value;
    return true;
  }
  bool DeleteEntry(const std::string& section, const std::string& key) override {
    const Key k{section, key};
    return (m_ints.erase(k) + m_strings.erase(k) + m_binaries.erase(k)) > 0;
  }
  bool DeleteSection(const std::string& section) override {
    bool any = false;
    auto drop = [&](auto& map) {
      for (auto it = map.begin(); it != map.end();) {
        if (it->first.first == section) {
          it = map.erase(it);
          any = true;
        } else {
          ++it;
        }
      }
    };
    drop(m_ints);
    drop(m_strings);
    drop(m_binaries);
    return any;
  }
  std::vector<std::string> GetSubsectionNames(const std::string& section) override {
    const std::string prefix = section + "\\";
    std::set<std::string> names;
    auto collect = [&](const auto& map) {
      for (const auto& [key, value] : map) {
        const std::string& name = key.first;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        names.insert(rest.substr(0, rest.find('\\')));
      }
    };
    collect(m_ints);
    collect(m_strings);
    collect(m_binaries);
    std::vector<std::string> result(names.begin(), names.end());
    std::stable_sort(result.begin(), result.end(), LessNoCase);
    return result;
  }

 private:
  using Key = std::pair<std::string, std::string>;
  std::map<Key, int> m_ints;
  std::map<Key, std::string> m_strings;
  std::map<Key, std::vector<uint8_t>> m_binaries;
};

std::unique_ptr<IProfileStore>& Slot() {
  static std::unique_ptr<IProfileStore> store = MakeMemoryProfileStore();
  return store;
}

}  // namespace

std::unique_ptr<IProfileStore> MakeMemoryProfileStore() { return std::make_unique<CMemoryProfileStore>(); }

IProfileStore& Profile() { return *Slot(); }

std::unique_ptr<IProfileStore> InstallProfileStore(std::unique_ptr<IProfileStore> store) {
  auto previous = std::move(Slot());
  Slot() = store ? std::move(store) : MakeMemoryProfileStore();
  return previous;
}
