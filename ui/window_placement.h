#pragma once

class QWidget;

namespace morvexa {

// Centers a top-level window on its screen's available area, title bar and
// frame included: once before it is shown, by its own size, and again once
// the window system has framed it and the frame's size is known.
void CenterOnScreen(QWidget& window);

}  // namespace morvexa
