// The player's port dialogs: the whole reason a port cannot be used (wrapped,
// selectable, with Copy), and the choice of a serial device for a port.
#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "PlayerState.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace gdl {

class PortReasonDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortReasonDialog(QWidget* parent = nullptr);
    void ShowReason(const std::string& caption, const std::string& status,
                    const std::string& reason);

private:
    QLabel* lStatus = nullptr;
    QPlainTextEdit* mReason = nullptr;
    QPushButton* bCopy = nullptr;
};

class ChooseDeviceDialog : public QDialog {
    Q_OBJECT
public:
    explicit ChooseDeviceDialog(QWidget* parent = nullptr);
    std::optional<PlayerDialogs::DeviceChoice> Choose(const std::vector<std::string>& lines,
                                                      int port);

private:
    QListWidget* cDevices = nullptr;
    QComboBox* cPort = nullptr;
    QLabel* lNone = nullptr;
    QPushButton* bOk = nullptr;
};

}  // namespace gdl
