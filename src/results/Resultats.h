#pragma once

#include "TableWindow.h"

namespace results {

// The results window: a table is found by its code, then its scores (four, or five at a table
// of five) are typed and stored.
class Resultats : public TableWindow {
    Q_OBJECT
public:
    Resultats(ui::Shell& shell, QWidget* parent);

    bool Form_Load() override;

public slots:
    void Valider_Click() override;

private:
    void SaisieEquipe_KeyPress(char32_t& KeyAscii) override;
};

} // namespace results
