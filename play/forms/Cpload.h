// TfLoad, the level set chooser: the widgets over the Chooser core.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "Chooser.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace gdl {

class TfLoad : public QDialog {
    Q_OBJECT
public:
    TfLoad(Chooser& core, QWidget* parent = nullptr);

    // The caller's contract: the install folder and the file dialog's
    // starting folder and name; the chosen path on OK.
    std::optional<std::string> ShowLoad(const std::string& installFolder, const std::string& folder,
                                        const std::string& fileName);

    void FormActivate() {
        Run([this] { core_.FormActivate(); });
    }
    void cLevelSetsClick();
    void bOKClick() {
        Run([this] { core_.bOKClick(); });
    }
    void bOtherClick() {
        Run([this] { core_.bOtherClick(); });
    }
    void Remove1Click() {
        Run([this] { core_.Remove1Click(); });
    }
    void About1Click() {
        Run([this] { core_.About1Click(); });
    }

    void Render();

private:
    void Run(const std::function<void()>& handler);

    Chooser& core_;
    QListWidget* cLevelSets = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;
    QPushButton* bOther = nullptr;
    QMenu* mPopup = nullptr;
    // The list's own signals while the view is shown are no clicks.
    bool rendering_ = false;
};

}  // namespace gdl
