#include "HelpViewer.h"

#include "ui/CommandWindow.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace app {

HelpViewer::HelpViewer() : m_browser(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("Aide"));
    setWindowTitle(QStringLiteral("Aide de Velmora"));
    m_browser->setObjectName(QStringLiteral("Contenu"));
    m_browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 640);
}

void HelpViewer::attach(const QString& helpFile) {
    m_helpFile = helpFile;
}

void HelpViewer::openContents() {
    QFile file(m_helpFile);
    if (m_helpFile.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        ui::MessageBox::critical(
            QStringLiteral("Aide"),
            QStringLiteral("Le fichier d'aide est introuvable :\n\n%1").arg(m_helpFile));
        return;
    }
    m_browser->setHtml(QString::fromUtf8(file.readAll()));
    m_browser->moveCursor(QTextCursor::Start);

    // Over a modal window the help must be modal too, or that window would block it. Once
    // open it keeps its modality unless a modal window came up since: changing it under the
    // organiser's eyes could leave it blocked.
    QWidget* modal = QApplication::activeModalWidget();
    const bool overModal = modal && modal != this;
    if (overModal && windowModality() != Qt::ApplicationModal) {
        hide(); // modality only changes on a hidden window
        setWindowModality(Qt::ApplicationModal);
    } else if (!overModal && !isVisible()) {
        setWindowModality(Qt::NonModal);
    }
    ui::fitInScreen(*this);
    show();
    raise();
    activateWindow();
}

} // namespace app
