// The player's pictures, drawn rather than stored: the cave behind the
// window and the four lamps of the link.
#pragma once

#include <QPixmap>

#include "PlayerView.h"

namespace gdl {

QPixmap CaveBackground(int width, int height);
QPixmap LampPicture(Lamp lamp);
// The 16 x 16 pictures beside the dialogs' labels.
QPixmap GemPicture();

}  // namespace gdl
