// The player's pictures, drawn rather than stored: the cave behind the
// window and the four lamps of the link.
#pragma once

#include <QPixmap>

class QDialog;
class QLabel;

#include "PlayerView.h"

namespace gdl {

QPixmap CaveBackground(int width, int height);
QPixmap LampPicture(Lamp lamp);
// The 16 x 16 pictures beside the dialogs' labels.
QPixmap GemPicture();

// The frame of the player's small dialogs: a fixed size, a title and the
// close button, the gem at (gemLeft, 10) and beside it the bold heading
// "Label1" at `heading`, which is returned.
QLabel* FrameGemDialog(QDialog* dialog, QSize size, int gemLeft, const QRect& heading);

}  // namespace gdl
