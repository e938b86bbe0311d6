#pragma once

#include <QWidget>

namespace ui {

// The results windows are laid out in twips, 1440 to the inch, as the organiser's screen shows
// them.
inline int twips(const QWidget* w, int t) {
    return t * w->logicalDpiX() / 1440;
}

// A control at its place in twips, at the plan's size whatever the widget would ask.
inline void place(QWidget* w, int left, int top, int width, int height) {
    w->setMinimumSize(0, 0);
    w->setGeometry(twips(w, left), twips(w, top), twips(w, width), twips(w, height));
}

} // namespace ui
