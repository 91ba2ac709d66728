#include "app/frmmain.h"

#include "app/appicon.h"
#include "app/frmabout.h"
#include "shell/program.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <cstdlib>

frmMain::frmMain(QWidget* parent)
    : QWidget(parent), m_gui(this), m_exitProcess([] { std::_Exit(EXIT_SUCCESS); })
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Cellarchive"));
    setWindowIcon(cellarchiveIcon());
    createControls();
}

void frmMain::attach(Program& program)
{
    m_program = &program;
    connectControls();
    m_program->Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::connectControls()
{
    // Line by line: redrawing the whole history for every new line made a long run quadratic.
    connect(&m_program->log(), &StatusLog::statusLineAdded, m_txtStatus,
            [this](const QString& line) {
                addStatusLine(line);
                if (m_closeAfterRun)
                    m_closingLines << line;
            });
    connect(&m_program->log(), &StatusLog::statusCleared, m_txtStatus,
            [this] { m_txtStatus->clear(); });
    m_statusRedraw.setSingleShot(true);
    m_statusRedraw.setInterval(StatusRedrawMs);
    connect(&m_statusRedraw, &QTimer::timeout, m_txtStatus,
            [this] { m_txtStatus->setUpdatesEnabled(true); });
    connect(m_cmdClear, &QPushButton::clicked, this, [this] { m_program->cmdClear_Click(); });
    connect(m_cmdBackup, &QPushButton::clicked, this, [this] {
        m_program->cmdBackup_Click();
        closeIfAsked();
    });
    connect(m_cmdRestore, &QPushButton::clicked, this, [this] {
        m_program->cmdRestore_Click();
        closeIfAsked();
    });
    // Only the user's click asks about the master reset; a tick set by the program does not.
    connect(m_boxes[int(Box::MasterReset)], &QCheckBox::clicked, this,
            [this] { m_program->chkMasterReset_Click(); });
    connect(m_cmdAbout, &QPushButton::clicked, this, [this] { cmdAbout_Click(); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

void frmMain::addStatusLine(const QString& line)
{
    QScrollBar* bar = m_txtStatus->verticalScrollBar();
    const int value = bar->value();
    const int maximum = bar->maximum();
    // Lines come faster than a person reads them: the box is redrawn a few times a second
    // rather than once per line, which cost a long run more than the run itself.
    if (!m_statusRedraw.isActive()) {
        m_txtStatus->setUpdatesEnabled(false);
        m_statusRedraw.start();
    }
    QString text = line;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor cursor(m_txtStatus->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text + QLatin1Char('\n'));
    // At the top the newest line shows; a user who scrolled down to read keeps the lines read.
    if (value > 0)
        bar->setValue(value + bar->maximum() - maximum);
}

void frmMain::cmdAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::cmdExit_Click()
{
    if (m_program->runInProgress()) {
        askToStopTheRun();
        return;
    }
    m_exitProcess();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // A run cut off in the middle would leave its staging file and no word in the log: it is
    // asked to end at its next step, and the window closes once it has.
    if (m_program->runInProgress()) {
        event->ignore();
        askToStopTheRun();
        return;
    }
    m_exitProcess();
    event->accept();
}

void frmMain::askToStopTheRun()
{
    if (m_closeAfterRun)
        return;
    if (!m_program->ui().askQuestion(
            QStringLiteral("Cellarchive"),
            QStringLiteral("A run is in progress. Stop it and close Cellarchive?\r\n\r\nThe run "
                           "ends after the category it is working on.")))
        return;
    m_closeAfterRun = true;
    m_closingLines.clear();
    m_program->requestStop();
}

void frmMain::closeIfAsked()
{
    // The process ends the way Exit ends it, so the phone image is closed first. The window goes
    // only after the user has read how the run ended: what was written and where.
    if (!m_closeAfterRun || m_program->runInProgress())
        return;
    if (!m_closingLines.isEmpty())
        m_program->ui().tell(QStringLiteral("Cellarchive"),
                             QStringLiteral("The run was stopped:\n") +
                                 m_closingLines.join(QLatin1Char('\n')));
    m_exitProcess();
}

QPushButton* frmMain::button(Button which) const
{
    return which == Button::Backup ? m_cmdBackup : m_cmdRestore;
}

bool frmMain::isTicked(Box box) const
{
    return m_boxes[int(box)]->checkState() == Qt::Checked;
}

void frmMain::setTicked(Box box, bool ticked)
{
    m_boxes[int(box)]->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

bool frmMain::isBoxEnabled(Box box) const
{
    return m_boxes[int(box)]->isEnabled();
}

void frmMain::setBoxEnabled(Box box, bool enabled)
{
    m_boxes[int(box)]->setEnabled(enabled);
}

void frmMain::setBoxReason(Box box, const QString& reason)
{
    const QString own = box == Box::CustomMenu ? QString::fromUtf16(CustomMenuTip) : QString();
    m_boxes[int(box)]->setToolTip(own.isEmpty() || reason.isEmpty()
                                      ? own + reason
                                      : own + QLatin1Char('\n') + reason);
}

void frmMain::setButtonEnabled(Button which, bool enabled)
{
    button(which)->setEnabled(enabled);
}

void frmMain::setButtonCaption(Button which, const QString& caption)
{
    button(which)->setText(caption);
}

QString frmMain::phoneInfo(int index) const
{
    return index >= 0 && index < 4 ? m_lblPhoneInfo[index]->text() : QString();
}

void frmMain::setPhoneInfo(int index, const QString& text)
{
    if (index < 0 || index >= 4)
        return;
    m_lblPhoneInfo[index]->setText(text);
    // A long value is cut at the frame's edge; the tool tip shows all of it.
    m_lblPhoneInfo[index]->setToolTip(text);
}
