#include "gui/dialogs/ProbeOptionsDialog.h"

#include "monitor/Monitor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace detail {

namespace {

bool wholeNumber(const QString& text, int& value) {
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

TUpDown::TUpDown(QLineEdit* edit, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), edit_(edit), minimum_(minimum), maximum_(maximum),
      up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TUpDown::StepBy(int steps) {
    int value = minimum_;
    if (!wholeNumber(edit_->text(), value))
        value = minimum_;
    edit_->setText(QString::number(std::clamp(value + steps, minimum_, maximum_)));
}

TFrmProbeOption::TFrmProbeOption(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmProbeOption"));
    setWindowTitle(QStringLiteral("Probe Option"));
    auto* layout = new QVBoxLayout(this);
    autoProbeCheck = new QCheckBox(QStringLiteral("Auto Probe"), this);
    autoProbeCheck->setObjectName(QStringLiteral("autoProbeCheck"));
    layout->addWidget(autoProbeCheck);

    auto* group = new QGroupBox(QStringLiteral("Probe Interval"), this);
    auto* grid = new QGridLayout(group);
    auto field = [&](const char* name, const QString& label, const QString& initial, int maxLength,
                     int minimum, int maximum, int column, TUpDown*& upDown) {
        auto* edit = new QLineEdit(initial, group);
        edit->setObjectName(QString::fromLatin1(name));
        if (maxLength > 0)
            edit->setMaxLength(maxLength);
        edit->setFixedWidth(40);
        upDown = new TUpDown(edit, minimum, maximum, group);
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(edit);
        box->addWidget(upDown);
        grid->addLayout(box, 0, column * 2);
        grid->addWidget(new QLabel(label, group), 0, column * 2 + 1);
        return edit;
    };
    hoursEdit =
        field("hoursEdit", QStringLiteral("Hours"), QStringLiteral("0"), 2, 0, 23, 0, hoursUpDown);
    minutesEdit = field("minutesEdit", QStringLiteral("Minutes"), QStringLiteral("0"), 2, 0, 59, 1,
                        minutesUpDown);
    secondsEdit = field("secondsEdit", QStringLiteral("Seconds"), QStringLiteral("3"), 0, 3, 59, 2,
                        secondsUpDown);
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true); // Enter anywhere in the dialog clicks OK
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(autoProbeCheck, &QCheckBox::clicked, this, [this] { UpdateFields(); });
    UpdateFields();
}

void TFrmProbeOption::UpdateFields() {
    const bool on = autoProbeCheck->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{secondsEdit, minutesEdit, hoursEdit,
                                                      secondsUpDown, minutesUpDown, hoursUpDown})
        w->setEnabled(on);
}

void TFrmProbeOption::LoadFrom(monitor::TPvConnection& monitor) {
    if (monitor.ProbeInterval() > 86399 || monitor.ProbeInterval() < 3) {
        monitor.SetAutoProbe(false);
        monitor.SetProbeInterval(30);
    }
    autoProbeCheck->setChecked(monitor.AutoProbe());
    const int interval = monitor.ProbeInterval();
    hoursEdit->setText(QString::number(interval / 3600));
    minutesEdit->setText(QString::number(interval % 3600 / 60));
    secondsEdit->setText(QString::number(interval % 60));
    UpdateFields();
}

int TFrmProbeOption::Interval() const {
    int seconds = 0, minutes = 0, hours = 0;
    if (!wholeNumber(secondsEdit->text(), seconds) || !wholeNumber(minutesEdit->text(), minutes) ||
        !wholeNumber(hoursEdit->text(), hours))
        return 30;
    // Wide enough that no text of the fields overflows.
    const long long total = seconds + minutes * 60LL + hours * 3600LL;
    return total < 3 || total > 86399 ? 30 : static_cast<int>(total);
}

void TFrmProbeOption::ApplyTo(monitor::TPvConnection& monitor) const {
    monitor.SetAutoProbe(autoProbeCheck->isChecked());
    monitor.SetProbeInterval(Interval());
}

} // namespace detail
