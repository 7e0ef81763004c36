#pragma once
// Connects browse mode's commands to the output features (slide show, batch
// wizard, e-mail, web publishing, HTML album) and to the application's
// open-document operation.

#include <functional>
#include <string>

void InstallOrganizeHooks(std::function<bool(const std::string& path)> openFile);
