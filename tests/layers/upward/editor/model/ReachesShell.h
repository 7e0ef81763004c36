#pragma once
// The document model builds without windows: the layer check refuses this.
#include "shell/MainFrame.h"
