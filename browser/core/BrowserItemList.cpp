#include "browser/core/BrowserItemList.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

// The name without its last four characters (".jpg"): "a10.jpg" sorts by "a10".
int CompareNames(const CBrowserItem& a, const CBrowserItem& b) {
  const size_t la = a.m_strName.size() >= 4 ? a.m_strName.size() - 4 : 0;
  const size_t lb = b.m_strName.size() >= 4 ? b.m_strName.size() - 4 : 0;
  const int c = std::memcmp(a.m_strName.data(), b.m_strName.data(), std::min(la, lb));
  if (c != 0) return c;
  return la < lb ? -1 : (la > lb ? 1 : 0);
}

std::string LastThree(const std::string& name) { return name.size() >= 3 ? name.substr(name.size() - 3) : name; }

int CompareTypes(const CBrowserItem& a, const CBrowserItem& b) {
  const int c = strcasecmp(LastThree(a.m_strName).c_str(), LastThree(b.m_strName).c_str());
  return c != 0 ? c : CompareNames(a, b);
}

template <class T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareByKey(int key, const CBrowserItem& a, const CBrowserItem& b) {
  switch (key) {
    case SORT_BY_TYPE: return CompareTypes(a, b);
    case SORT_BY_SIZE: return CompareValues(a.m_nFileSize, b.m_nFileSize);
    case SORT_BY_DATE: return CompareValues(a.m_ftLastWrite, b.m_ftLastWrite);
    case SORT_BY_PREVIOUS_INDEX:
      return CompareValues(static_cast<uint32_t>(a.m_nPrevIndex), static_cast<uint32_t>(b.m_nPrevIndex));
    default: return CompareNames(a, b);
  }
}

}  // namespace

int CBrowserItemList::GetSelectedCount() const {
  return static_cast<int>(std::count_if(begin(), end(), [](const CBrowserItem& item) { return item.m_bSelected == 1; }));
}

int CBrowserItemList::GetNextSelected(int index) const {
  for (int i = std::max(index + 1, 0); i < GetCount(); ++i)
    if ((*this)[static_cast<size_t>(i)].m_bSelected == 1) return i;
  return -1;
}

void CBrowserItemList::SelectOnly(int index) {
  for (int i = 0; i < GetCount(); ++i) (*this)[static_cast<size_t>(i)].m_bSelected = i == index ? 1 : 0;
}

void CBrowserItemList::SelectAll() {
  for (CBrowserItem& item : *this) item.m_bSelected = 1;
}

void CBrowserItemList::SelectNone() {
  for (CBrowserItem& item : *this) item.m_bSelected = 0;
}

void CBrowserItemList::InvertSelection() {
  for (CBrowserItem& item : *this) item.m_bSelected = item.m_bSelected == 1 ? 0 : 1;
}

void CBrowserItemList::Sort(int key, bool descending) {
  const bool flip = descending && key != SORT_BY_PREVIOUS_INDEX;
  // Stable, so that equal keys keep the order they had (the contract allows
  // any order; this one is the least surprising).
  std::stable_sort(begin(), end(), [key, flip](const CBrowserItem& a, const CBrowserItem& b) {
    return flip ? CompareByKey(key, b, a) < 0 : CompareByKey(key, a, b) < 0;
  });
}

void CBrowserItemList::Reverse() { std::reverse(begin(), end()); }

std::vector<std::string> CBrowserItemList::CreateDropFiles() const {
  std::vector<std::string> paths;
  for (const CBrowserItem& item : *this)
    if (item.m_bSelected == 1) paths.push_back(item.GetFullPath());
  return paths;
}
