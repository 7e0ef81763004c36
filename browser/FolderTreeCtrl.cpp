#include "browser/FolderTreeCtrl.h"

#include <sys/stat.h>
#include <wx/dnd.h>

#include "base/MessageReport.h"
#include "platform/CameraCards.h"
#include "platform/FolderListing.h"

namespace {

class CFolderItemData : public wxTreeItemData {
 public:
  explicit CFolderItemData(std::string folder) : path(std::move(folder)) {}
  std::string path;
  bool filled = false;
};

// "/a/b" lies in or is "/a" (and everything lies in "/").
bool IsWithin(const std::string& path, const std::string& folder) {
  if (path == folder) return true;
  if (folder == "/") return !path.empty() && path[0] == '/';
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

class CFolderDropTarget : public wxFileDropTarget {
 public:
  explicit CFolderDropTarget(CFolderTreeCtrl* tree) : m_tree(tree) {}
  wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult def) override { return OnDragOver(x, y, def); }
  wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult) override {
    return m_tree->DragOver(wxPoint(x, y)) ? wxDragCopy : wxDragNone;
  }
  void OnLeave() override { m_tree->DragLeave(); }
  bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override {
    m_tree->DragOver(wxPoint(x, y));
    std::vector<std::string> files;
    for (const wxString& name : names) files.push_back(name.utf8_string());
    return m_tree->DropFiles(files);
  }

 private:
  CFolderTreeCtrl* m_tree;
};

}  // namespace

std::vector<FOLDER_TREE_ROOT> DefaultFolderTreeRoots() {
  std::vector<FOLDER_TREE_ROOT> roots;
  roots.push_back({"Home", HomeFolder()});
  if (std::string desktop = DesktopFolder(); !desktop.empty()) roots.push_back({"Desktop", desktop});
  roots.push_back({"/", "/"});
  for (const CAMERA_CARD& volume : FindMountedVolumes())
    if (volume.strRoot != "/") roots.push_back({volume.strName, volume.strRoot});
  return roots;
}

CFolderTreeCtrl::CFolderTreeCtrl(wxWindow* parent, wxWindowID id, std::vector<FOLDER_TREE_ROOT> roots)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxSize(160, 160),
                 wxTR_HAS_BUTTONS | wxTR_HIDE_ROOT | wxTR_LINES_AT_ROOT | wxTR_SINGLE | wxBORDER_NONE) {
  Bind(wxEVT_TREE_ITEM_EXPANDING, &CFolderTreeCtrl::OnExpanding, this);
  Bind(wxEVT_TREE_ITEM_COLLAPSED, &CFolderTreeCtrl::OnCollapsed, this);
  Bind(wxEVT_TREE_SEL_CHANGED, &CFolderTreeCtrl::OnSelChanged, this);
  // Once every item fits, none stays scrolled out at the top (a folder made
  // visible while the tree was still small scrolled it).
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    CallAfter([this] {
      if (GetItemsHeight() <= GetClientSize().y) Scroll(0, 0);
    });
  });
  SetDropTarget(new CFolderDropTarget(this));
  SetRoots(roots);
}

void CFolderTreeCtrl::SetRoots(const std::vector<FOLDER_TREE_ROOT>& roots) {
  ++m_silent;
  DeleteAllItems();
  m_dropItem = wxTreeItemId();
  const wxTreeItemId top = AddRoot("Folders");
  for (const FOLDER_TREE_ROOT& root : roots) AddFolder(top, root.label, root.path);
  --m_silent;
}

wxTreeItemId CFolderTreeCtrl::AddFolder(const wxTreeItemId& parent, const std::string& label, const std::string& path) {
  const wxTreeItemId item = AppendItem(parent, wxString::FromUTF8(label), -1, -1, new CFolderItemData(path));
  SetItemHasChildren(item, HasSubfolders(path));
  return item;
}

std::string CFolderTreeCtrl::GetItemPath(const wxTreeItemId& item) const {
  if (!item.IsOk()) return {};
  auto* data = dynamic_cast<CFolderItemData*>(GetItemData(item));
  return data ? data->path : std::string();
}

std::string CFolderTreeCtrl::GetSelectedPath() const { return GetItemPath(GetSelection()); }

void CFolderTreeCtrl::Fill(const wxTreeItemId& item) {
  auto* data = item.IsOk() ? dynamic_cast<CFolderItemData*>(GetItemData(item)) : nullptr;
  if (!data || data->filled) return;
  data->filled = true;
  const std::string folder = data->path;
  for (const std::string& name : ListSubfolders(folder)) AddFolder(item, name, JoinFolder(folder, name));
  SetItemHasChildren(item, GetChildrenCount(item, false) > 0);
}

void CFolderTreeCtrl::OnExpanding(wxTreeEvent& event) { Fill(event.GetItem()); }

// A closed folder forgets its children: the next opening reads them again.
void CFolderTreeCtrl::OnCollapsed(wxTreeEvent& event) {
  const wxTreeItemId item = event.GetItem();
  auto* data = dynamic_cast<CFolderItemData*>(GetItemData(item));
  if (!data) return;
  ++m_silent;
  for (wxTreeItemId up = m_dropItem; up.IsOk(); up = GetItemParent(up))
    if (up == item) {
      m_dropItem = wxTreeItemId();
      break;
    }
  DeleteChildren(item);
  data->filled = false;
  SetItemHasChildren(item, HasSubfolders(data->path));
  --m_silent;
}

void CFolderTreeCtrl::OnSelChanged(wxTreeEvent& event) {
  const wxTreeItemId item = event.GetItem();
  // A folder selected shows its children ready without opening it.
  Fill(item);
  if (m_silent > 0) return;
  const std::string path = GetItemPath(item);
  if (!path.empty() && m_select) m_select(path);
}

wxTreeItemId CFolderTreeCtrl::FindChild(const wxTreeItemId& parent, const std::string& name) {
  Fill(parent);
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = GetFirstChild(parent, cookie); child.IsOk(); child = GetNextChild(parent, cookie))
    if (GetItemText(child).utf8_string() == name) return child;
  return {};
}

bool CFolderTreeCtrl::SelectPath(const std::string& wanted) {
  std::string path = wanted;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (GetSelectedPath() == path) return true;
  struct stat st {};
  ++m_silent;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    UnselectAll();
    Unselect();
    --m_silent;
    return false;
  }
  // The root holding the path most closely.
  wxTreeItemId item;
  size_t best = 0;
  wxTreeItemIdValue cookie;
  const wxTreeItemId top = GetRootItem();
  for (wxTreeItemId root = GetFirstChild(top, cookie); root.IsOk(); root = GetNextChild(top, cookie)) {
    const std::string rootPath = GetItemPath(root);
    if (IsWithin(path, rootPath) && (!item.IsOk() || rootPath.size() > best)) {
      item = root;
      best = rootPath.size();
    }
  }
  bool found = false;
  while (item.IsOk()) {
    if (GetItemPath(item) == path) {
      found = true;
      break;
    }
    Fill(item);
    wxTreeItemId next;
    wxTreeItemIdValue childCookie;
    for (wxTreeItemId child = GetFirstChild(item, childCookie); child.IsOk(); child = GetNextChild(item, childCookie))
      if (IsWithin(path, GetItemPath(child))) {
        next = child;
        break;
      }
    if (!next.IsOk()) break;
    Expand(item);
    item = next;
  }
  if (found) {
    SelectItem(item);
    EnsureVisible(item);
  }
  --m_silent;
  return found;
}

int CFolderTreeCtrl::GetItemsHeight() const {
  int count = 0, height = 0;
  for (wxTreeItemId item = GetFirstVisibleItem(); item.IsOk(); item = GetNextVisible(item)) {
    ++count;
    wxRect rect;
    if (height == 0 && GetBoundingRect(item, rect)) height = rect.height;
  }
  if (height <= 0) height = 24;
  return count * height;
}

// --- dropping files ------------------------------------------------------------------

wxTreeItemId CFolderTreeCtrl::DropTargetAt(const wxPoint& client) const {
  int flags = 0;
  const wxTreeItemId item = HitTest(client, flags);
  if (!item.IsOk() || !(flags & (wxTREE_HITTEST_ONITEMICON | wxTREE_HITTEST_ONITEMLABEL | wxTREE_HITTEST_ONITEMSTATEICON)))
    return {};
  return GetItemPath(item).empty() ? wxTreeItemId() : item;
}

bool CFolderTreeCtrl::DragOver(const wxPoint& client) {
  const wxTreeItemId item = DropTargetAt(client);
  if (item != m_dropItem) {
    if (m_dropItem.IsOk()) SetItemDropHighlight(m_dropItem, false);
    m_dropItem = item;
    if (m_dropItem.IsOk()) SetItemDropHighlight(m_dropItem, true);
  }
  // Near an edge one more line comes into view.
  const int edge = 16;
  const int height = GetClientSize().y;
  int flags = 0;
  if (client.y < edge) {
    const wxTreeItemId first = GetFirstVisibleItem();
    const wxTreeItemId above = first.IsOk() ? GetPrevVisible(first) : wxTreeItemId();
    if (above.IsOk()) EnsureVisible(above);
  } else if (client.y > height - edge) {
    const wxTreeItemId under = HitTest(wxPoint(client.x, client.y), flags);
    const wxTreeItemId below = under.IsOk() ? GetNextVisible(under) : wxTreeItemId();
    if (below.IsOk()) EnsureVisible(below);
  }
  return m_dropItem.IsOk();
}

void CFolderTreeCtrl::DragLeave() {
  if (m_dropItem.IsOk()) SetItemDropHighlight(m_dropItem, false);
  m_dropItem = wxTreeItemId();
}

bool CFolderTreeCtrl::DropFiles(const std::vector<std::string>& files) {
  const std::string folder = GetItemPath(m_dropItem);
  DragLeave();
  if (folder.empty()) return false;
  m_lastDrop = CopyDroppedFiles(files, folder);
  for (const std::string& failure : m_lastDrop.failures) ReportMessage(MESSAGE_ERROR, failure);
  return true;
}
