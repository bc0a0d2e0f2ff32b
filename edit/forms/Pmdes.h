// TfDes: the designers dialog. It forwards every event to the dialog core and
// shows the core's state after each.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace gdl {

class DesignersDialog;

class TfDes : public QDialog {
    Q_OBJECT
public:
    explicit TfDes(QWidget* parent = nullptr);

    // Shows the opened dialog core; true on "&Update".
    bool Edit(DesignersDialog& dialog);
    // Binds the core without showing the dialog (nullptr unbinds).
    void Bind(DesignersDialog* dialog);

    void cListClick();
    void cListDblClick();
    void bEditClick();
    void bAddClick();
    void bRemoveClick();
    void editChange(const QString& text);
    void editEnter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class Command>
    void Forward(Command command);
    void Render();

    DesignersDialog* dialog_ = nullptr;
    bool rendering_ = false;
    QListWidget* cList_;
    QLineEdit* edit_;
    QPushButton* bAdd_;
    QPushButton* bEdit_;
    QPushButton* bRemove_;
};

}  // namespace gdl
