#pragma once

#include <QIcon>

// The program's icon, a phone beside an archive box, drawn at the usual icon sizes.
QIcon cellarchiveIcon();
QPixmap cellarchivePixmap(int size);
