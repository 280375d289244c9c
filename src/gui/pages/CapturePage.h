// The "Capture SQL" page of the main window and its commands: the tool row ("&Add", "&Modify",
// "&Delete", "&Enable Capture SQL"), the list collectorList, the collector dialog and the
// server-side component dialog, over the widget-free TCaptureSql. User-interface thread only.
#pragma once

#include "capture/SqlCapture.h"

#include <QObject>
#include <memory>

class QAction;
class QPushButton;
class QTreeView;
class QWidget;

namespace capture {
class TFrmAddSqlcollector;
class TFrmServersidesetup;
} // namespace capture

namespace gui {

class TFrmMain;

class TCapturePage final : public QObject {
    Q_OBJECT
public:
    TCapturePage(TFrmMain& main, QWidget* page);
    ~TCapturePage() override;

    capture::TCaptureSql& Capture() { return capture_; }
    QTreeView* collectorList = nullptr;
    QPushButton* enableCaptureButton = nullptr;
    QAction *addCollectorAction, *modifyCollectorAction, *deleteCollectorAction,
        *enableCaptureAction;
    // The dialogs, made at first use (tests reach them through these).
    capture::TFrmAddSqlcollector& AddDialog();
    capture::TFrmServersidesetup& ServerDialog();

    // The steps of the connect, disconnect and close sequences.
    void BeforeLogin();
    void AfterLogin();
    bool CanClose();
    void Stop();
    // The enabling rules of the capture commands.
    void UpdateActions(bool connected);

    void onCaptureSql();
    void onServerComponent();
    void onAddCollector();
    void onModifyCollector();
    void onDeleteCollector();
    void onToggleCapture();
    int SelectedRow() const;

private:
    TFrmMain& main_;
    capture::TCaptureSql capture_;
    std::unique_ptr<capture::TFrmAddSqlcollector> addDialog_;
    std::unique_ptr<capture::TFrmServersidesetup> serverDialog_;
};

} // namespace gui
