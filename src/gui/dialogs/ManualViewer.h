// TManualViewer: the manual shown inside Quenby, for a desktop that has no handler for HTML
// files. A window of its own beside the main window; user-interface thread only.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace gui {

class TManualViewer final : public QDialog {
    Q_OBJECT
public:
    explicit TManualViewer(QWidget* parent = nullptr);
    // Shows the HTML file and raises the window.
    void Show(const QString& path);
    QTextBrowser* browser = nullptr;
};

} // namespace gui
