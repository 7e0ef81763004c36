#pragma once
// Reaches up from the image layer into the shell: the layer check refuses it.
#include "shell/MainFrame.h"
