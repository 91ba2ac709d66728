#pragma once

#include <QIcon>

// The program's icon, a phone beside an archive box, rendered from its one drawing
// (data/icons/org.example.Cellarchive.svg) at the usual icon sizes.
QIcon cellarchiveIcon();
QPixmap cellarchivePixmap(int size);
