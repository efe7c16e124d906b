#pragma once

#include "ui/WindowLife.h"

class ctrl_SkinableForm;
class QWidget;

// Gives one of the program's windows its life (ui::WindowLife): its load,
// activate and unload code run through the program's error reporter under
// their labels, and a window that closes greys its skinned caption
// (CaptionColor 0) before its own unload code runs.
ui::WindowLife &giveWindowLife(QWidget &window, ctrl_SkinableForm *frame, ui::WindowLife::Code code);
