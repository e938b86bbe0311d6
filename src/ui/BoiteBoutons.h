#pragma once

#include <QFrame>

class QPushButton;

namespace ui {

// The frame of the three buttons of every window with input fields: "&Valider" checks and
// stores, "&Annuler" empties the inputs, "&Quitter" closes the window. The window's layout
// keeps it centred across the window.
class BoiteBoutons : public QFrame {
    Q_OBJECT
public:
    explicit BoiteBoutons(QWidget* parent);

    QPushButton* Valider;
    QPushButton* Annuler;
    QPushButton* Quitter;
};

} // namespace ui
