#pragma once
// The file formats build without the toolkit: the layer check refuses this.
#include <wx/image.h>
