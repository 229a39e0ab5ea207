// The open modal window (the confirm box, the NPC shop, the market, the bank's gold boxes): one
// handler, called each frame in place of the HUD's input while set. The window lists draw but
// route no input while it is set.
#pragma once

using ModalBoxHandler = void (*)();

// Null while no modal window is open; the handler clears it to close.
extern ModalBoxHandler MODAL_BOX_HANDLER;
