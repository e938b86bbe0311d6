#include "BoiteBoutons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace ui {

BoiteBoutons::BoiteBoutons(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("BoiteBoutons"));
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(96);
        return b;
    };
    Valider = button("Valider", QStringLiteral("&Valider"));
    Annuler = button("Annuler", QStringLiteral("&Annuler"));
    Quitter = button("Quitter", QStringLiteral("&Quitter"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Valider);
    layout->addWidget(Annuler);
    layout->addWidget(Quitter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

} // namespace ui
