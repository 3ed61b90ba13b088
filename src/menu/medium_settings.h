// The medium's two settings files, each read once for the whole listing.
#pragma once

#include "menu/loaded_settings.h"
#include "menu/medium.h"

namespace cdinst::menu {

struct MediumSettings {
  LoadedSettings programs;  // DADOS\PROGS.INI
  LoadedSettings variants;  // DADOS\MULTI.INI, empty when missing or unreadable
};

// Raises MenuError (kNoProgramList) when DADOS\PROGS.INI is missing or cannot be read.
MediumSettings ReadMediumSettings(const Medium& medium);

}  // namespace cdinst::menu
