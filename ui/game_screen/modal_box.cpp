#include "ui/game_screen/modal_box.h"

#include "core/reset/module_resets.h"

ModalBoxHandler MODAL_BOX_HANDLER = nullptr;

static const ModuleReset k_reset("modal box", [] { MODAL_BOX_HANDLER = nullptr; });
