#pragma once

#include "MemberList.h"
#include "db/DataControl.h"
#include "ui/CommandWindow.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace season {

// A member list read into the club's known players: the file chosen is shown line by line
// (new, known, refused and why) with the counts, and nothing is written before "Importer".
class ImporterJoueurs : public ui::CommandWindow {
    Q_OBJECT
public:
    ImporterJoueurs(ui::Shell& shell, QWidget* parent);

    QPushButton* Choisir;
    QLabel* Fichier;     // the file read
    QTreeWidget* Apercu; // line, surname, first name, what the import does with it
    QLabel* Bilan;       // the counts
    QPushButton* Importer;
    QPushButton* Quitter;
    db::DataControl DataJoueurs;

    // Reads the file and shows what the import would do; writes nothing.
    void load(const QString& path);

public slots:
    void Choisir_Click();
    void Importer_Click();
    void Quitter_Click();

private:
    MemberList m_list;
};

} // namespace season
