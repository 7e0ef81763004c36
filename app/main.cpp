#include "shell/PictoravellApp.h"

wxIMPLEMENT_APP(CPictoravellApp);
