#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace app {

// The help viewer: a window showing the program's help file at its contents.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    HelpViewer();

    // The help file of the application (start-up attaches "Velmora.hlp" of the program
    // directory).
    void attach(const QString& helpFile);
    QString helpFile() const { return m_helpFile; }

    // Shows the help file from its top. Over a modal window the viewer is modal in its turn,
    // or the window under it would keep it from being read.
    void openContents();

private:
    QString m_helpFile;
    QTextBrowser* m_browser;
};

} // namespace app
