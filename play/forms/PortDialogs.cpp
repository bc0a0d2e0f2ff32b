#include "PortDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"

namespace gdl {

PortReasonDialog::PortReasonDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("PortReasonDialog");
    auto* layout = new QVBoxLayout(this);
    lStatus = new QLabel(this);
    lStatus->setObjectName("lStatus");
    lStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mReason = new QPlainTextEdit(this);
    mReason->setObjectName("mReason");
    mReason->setReadOnly(true);
    mReason->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mReason->setMinimumSize(460, 160);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    bCopy = buttons->addButton("&Copy", QDialogButtonBox::ActionRole);
    bCopy->setObjectName("bCopy");
    connect(bCopy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(mReason->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(lStatus);
    layout->addWidget(mReason);
    layout->addWidget(buttons);
}

void PortReasonDialog::ShowReason(const std::string& caption, const std::string& status,
                                  const std::string& reason) {
    setWindowTitle(ToQString(caption));
    lStatus->setText(ToQString(status));
    // Device paths may hold any bytes; the reason names them.
    mReason->setPlainText(PathToQString(reason));
    exec();
}

ChooseDeviceDialog::ChooseDeviceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("ChooseDeviceDialog");
    setWindowTitle("Choose Device");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Serial devices here:", this));
    cDevices = new QListWidget(this);
    cDevices->setObjectName("cDevices");
    cDevices->setMinimumSize(520, 140);
    lNone = new QLabel(
        "No serial device is plugged in: connect the Lynx cable's USB serial "
        "adapter, and it appears here.",
        this);
    lNone->setObjectName("lNone");
    lNone->setWordWrap(true);
    auto* row = new QHBoxLayout;
    auto* useAs = new QLabel("&Use it as:", this);
    row->addWidget(useAs);
    cPort = new QComboBox(this);
    useAs->setBuddy(cPort);
    cPort->setObjectName("cPort");
    for (int k = 1; k <= 4; ++k) cPort->addItem(QString("Com%1").arg(k));
    row->addWidget(cPort);
    row->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    bOk = buttons->button(QDialogButtonBox::Ok);
    bOk->setObjectName("bOk");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cDevices, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(cDevices, &QListWidget::currentRowChanged, this,
            [this](int rowNumber) { bOk->setEnabled(rowNumber >= 0); });
    layout->addWidget(cDevices);
    layout->addWidget(lNone);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

std::optional<PlayerDialogs::DeviceChoice> ChooseDeviceDialog::Choose(
    const std::vector<std::string>& lines, int port) {
    cDevices->clear();
    for (const auto& line : lines) cDevices->addItem(PathToQString(line));
    cDevices->setVisible(!lines.empty());
    lNone->setVisible(lines.empty());
    cDevices->setCurrentRow(lines.empty() ? -1 : 0);
    bOk->setEnabled(!lines.empty());
    cPort->setCurrentIndex(port >= 1 && port <= 4 ? port - 1 : 0);
    if (exec() != QDialog::Accepted || cDevices->currentRow() < 0) return std::nullopt;
    return PlayerDialogs::DeviceChoice{cPort->currentIndex() + 1,
                                       static_cast<std::size_t>(cDevices->currentRow())};
}

}  // namespace gdl
