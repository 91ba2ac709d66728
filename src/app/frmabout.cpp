#include "app/frmabout.h"

#include "app/appicon.h"
#include "shell/program.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* addLabel(QDialog* dialog, const char* name, const QString& text)
{
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

QFrame* separator(QDialog* dialog)
{
    auto* line = new QFrame(dialog);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QStringLiteral("Cellarchive");
    setWindowTitle(QStringLiteral("About ") + title);
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(cellarchivePixmap(48));
    picIcon->setFixedSize(48, 48);

    QLabel* lblTitle = addLabel(this, "lblTitle", title);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    QLabel* lblVersion = addLabel(this, "lblVersion", Program::versionText());
    QLabel* lblDescription = addLabel(
        this, "lblDescription",
        QStringLiteral("This program uses the Mobile phone monitor to take a complete backup of "
                       "the connected phone. Some settings can not be restored - like passwords, "
                       "Phonebook settings, SMS settings....."));
    QLabel* lblDisclaimer = addLabel(
        this, "lblDisclaimer",
        QStringLiteral("Warning: This program can destroy all settings in the connected phone -> "
                       "Use this program at your own risk...."));
    QLabel* credit = addLabel(this, "Label1", QStringLiteral("Cellarchive developers"));

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* heading = new QVBoxLayout;
    heading->addWidget(lblTitle);
    heading->addWidget(lblVersion);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(heading, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(credit, 1);
    bottom->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separator(this));
    layout->addWidget(lblDescription);
    layout->addWidget(lblDisclaimer);
    layout->addWidget(separator(this));
    layout->addLayout(bottom);
    setFixedWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
