#pragma once
// The settings store of the program: a wxFileConfig file in the user's config
// folder ($XDG_CONFIG_HOME/pictoravell/pictoravell.conf), or at the path in
// $PICTORAVELL_CONFIG. Section names keep their spelling; a '\' in a section
// ("Batch Scripts\name") becomes a '/' group separator.

#include <memory>
#include <string>

#include "base/Profile.h"

// The file the program keeps its settings in.
std::string GetSettingsFilePath();

// A store over that file (or the given path); written back by Flush and on destruction.
std::unique_ptr<IProfileStore> MakeFileConfigProfileStore(const std::string& path = GetSettingsFilePath());
