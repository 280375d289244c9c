// TFrmClientInfo, the "OCI DLL Information" dialog: which Oracle client library the program uses
// and its version, and the Oracle home for the next login. User-interface thread only.
#pragma once

#include "oradb/oci/OciLibrary.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace util {

// Finds the client library that a login with this Oracle home index would use; raises when
// there is none.
using TClientDetection = std::function<oradb::oci::TOciClientInfo(int homeIndex)>;

class TFrmClientInfo : public QDialog {
    Q_OBJECT
public:
    // Without a detection, the workstation's own (environment and settings) is used.
    explicit TFrmClientInfo(QWidget* parent = nullptr, TClientDetection detection = {});

    // The monitor's Oracle home index (0 "Default", 1 to 4 "Home0" to "Home3") the dialog
    // shows when it opens.
    void SetOracleHomeIndex(int index) { homeIndex_ = index; }
    // The index chosen with "&Ok"; closing the dialog another way leaves it unchanged.
    int OracleHomeIndex() const { return homeIndex_; }

    // Runs the detection for the current index and fills the controls; done on every opening.
    void Refresh();

    QLabel* libraryFileValue = nullptr;
    QLabel* libraryVersionValue = nullptr;
    QComboBox* oracleHomeCombo = nullptr;
    QPushButton* okButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onOkClicked();

    TClientDetection detection_;
    int homeIndex_ = 0;
};

} // namespace util
