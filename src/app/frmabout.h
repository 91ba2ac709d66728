#pragma once

#include <QDialog>

// The about box: the program's name, version, what it does and what it risks.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};
