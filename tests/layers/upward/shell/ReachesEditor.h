#pragma once
// The shell sits below the editor: the layer check refuses this.
#include "editor/PictoravellDoc.h"
