#include "shell/EditorHost.h"

namespace {

IEditorHost* g_host = nullptr;

}  // namespace

IEditorHost* EditorHost() { return g_host; }

void SetEditorHost(IEditorHost* host) { g_host = host; }
