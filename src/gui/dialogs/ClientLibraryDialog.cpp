#include "gui/dialogs/ClientLibraryDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace util {

namespace {

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TFrmClientInfo::TFrmClientInfo(QWidget* parent, TClientDetection detection)
    : QDialog(parent), detection_(std::move(detection)) {
    setObjectName(QStringLiteral("FrmClientInfo"));
    setWindowTitle(QStringLiteral("OCI DLL Information"));
    if (!detection_)
        detection_ = [](int homeIndex) {
            return oradb::oci::detectClient(homeIndex, oradb::oci::TOciSearchPlaces::system());
        };

    libraryFileValue = valueLabel("libraryFileValue", this);
    // Room for a typical library path even while the texts are empty.
    libraryFileValue->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    libraryVersionValue = valueLabel("libraryVersionValue", this);
    oracleHomeCombo = new QComboBox(this);
    oracleHomeCombo->setObjectName(QStringLiteral("oracleHomeCombo"));
    oracleHomeCombo->addItems({QStringLiteral("Default"), QStringLiteral("Home0"),
                               QStringLiteral("Home1"), QStringLiteral("Home2"),
                               QStringLiteral("Home3")});

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    auto addRow = [&](int row, const char* caption, QWidget* value, Qt::Alignment alignment) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(value);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1, alignment);
    };
    addRow(0, "OCI DLL Filename:", libraryFileValue, {});
    addRow(1, "OCI DLL Version:", libraryVersionValue, {});
    // The list keeps its own width rather than the column's.
    addRow(2, "Default Oracle home:", oracleHomeCombo, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnStretch(1, 1);

    okButton = new QPushButton(QStringLiteral("&Ok"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, [this] { onOkClicked(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    // A fixed size that still fits whatever path the detection shows.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFrmClientInfo::Refresh() {
    try {
        const oradb::oci::TOciClientInfo info = detection_(homeIndex_);
        libraryFileValue->setText(QString::fromStdString(info.libraryPath));
        libraryVersionValue->setText(QString::fromStdString(info.version));
        const bool known = homeIndex_ >= 0 && homeIndex_ < oracleHomeCombo->count();
        oracleHomeCombo->setCurrentIndex(known ? homeIndex_ : 0);
    } catch (const std::exception&) {
        // No client, or a chosen home without a library: nothing is reported.
        libraryFileValue->clear();
        libraryVersionValue->clear();
        oracleHomeCombo->setCurrentIndex(0);
    }
    // The fixed size follows the texts at once, before the dialog is painted.
    layout()->activate();
}

void TFrmClientInfo::showEvent(QShowEvent* event) {
    Refresh();
    QDialog::showEvent(event);
}

void TFrmClientInfo::onOkClicked() {
    homeIndex_ = oracleHomeCombo->currentIndex();
    accept();
}

} // namespace util
