// Replace All: one dialog with what to replace, what with and where. It
// stays open after a replace and says how many tiles it replaced, so a
// second replace needs no second dialog.
#pragma once

#include <QDialog>
#include <functional>

#include "LevelSource.h"

class QComboBox;
class QLabel;

namespace gdl {

class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // replace(from, to, whole source) does it and gives the report to show.
    using Replace = std::function<QString(Tile from, Tile to, bool wholeSource)>;
    ReplaceDialog(Replace replace, QWidget* parent = nullptr);
    // Starts with `from` chosen.
    void Start(Tile from);
    QString Report() const;

private:
    Replace replace_;
    QComboBox* cFrom_;
    QComboBox* cTo_;
    QComboBox* cWhere_;
    QLabel* lReport_;
};

}  // namespace gdl
