// TFrmProbeOption, the "Probe Option" dialog: switches the automatic memory probe on or off and
// sets its interval in hours, minutes and seconds. User-interface thread only.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace monitor {
class TPvConnection;
}

namespace detail {

// An up/down control stepping the whole number in its edit within a range.
class TUpDown final : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* edit, int minimum, int maximum, QWidget* parent = nullptr);
    void StepBy(int steps);
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

private:
    QLineEdit* edit_;
    int minimum_, maximum_;
    QToolButton* up_;
    QToolButton* down_;
};

class TFrmProbeOption final : public QDialog {
    Q_OBJECT
public:
    explicit TFrmProbeOption(QWidget* parent = nullptr);

    // What showing the dialog does: an interval outside 3 to 86399 switches the automatic probe
    // off and becomes 30; then the check box and the fields show the monitor's values.
    void LoadFrom(monitor::TPvConnection& monitor);
    // What OK does: the automatic probe from the check box, the interval from the fields (30
    // when a field is not a whole number; the monitor's setter replaces a value out of range).
    void ApplyTo(monitor::TPvConnection& monitor) const;
    // The interval the fields give: seconds + minutes * 60 + hours * 3600, or 30 when a field is
    // not a whole number.
    int Interval() const;

    QCheckBox* autoProbeCheck;
    QLineEdit* secondsEdit;
    QLineEdit* minutesEdit;
    QLineEdit* hoursEdit;
    TUpDown* secondsUpDown;
    TUpDown* minutesUpDown;
    TUpDown* hoursUpDown;
    QPushButton* okButton;
    QPushButton* cancelButton;

private:
    void UpdateFields();
};

} // namespace detail
