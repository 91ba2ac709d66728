#pragma once

#include "app/guiuserinterface.h"
#include "statuslog/mainview.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class Program;
class UserInterface;

// The main window: the controls the user sees, forwarding every click to the program's logic.
// It holds no logic of its own; the Program it owns decides what the controls show.
class frmMain : public QWidget, public MainView
{
    Q_OBJECT
public:
    // Creates the controls; the window does nothing until a program is attached.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The window's own dialogs, for a program that asks the user through them.
    UserInterface& dialogs() { return m_gui; }
    // Forwards the controls to the program, made once by main with this window as its view,
    // and runs its load handler (Form_Load) before the window is shown.
    void attach(Program& program);
    Program& program() { return *m_program; }

    // What Exit and closing the window do; ending the process at once unless replaced.
    void setExitHandler(std::function<void()> handler) { m_exitProcess = std::move(handler); }

    bool isTicked(Box box) const override;
    void setTicked(Box box, bool ticked) override;
    bool isBoxEnabled(Box box) const override;
    void setBoxEnabled(Box box, bool enabled) override;
    // The reason is the tooltip; chkCustomMenu keeps its own above it.
    void setBoxReason(Box box, const QString& reason) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void setButtonCaption(Button button, const QString& caption) override;
    QString phoneInfo(int index) const override;
    void setPhoneInfo(int index, const QString& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void connectControls();
    // A new status line on top of the status box; the box keeps every line until "Clear".
    void addStatusLine(const QString& line);
    void cmdAbout_Click();
    void cmdExit_Click();
    // Closing while a run is in progress: asks whether to stop it; yes stops it at its next
    // step and closes the window when it has ended.
    void askToStopTheRun();
    void closeIfAsked();
    QPushButton* button(Button which) const;

    static constexpr const char16_t* CustomMenuTip =
        u"You can not restore My Shortcuts if you change phone model";
    QCheckBox* m_boxes[PlainMainView::BoxCount] = {};
    QLabel* m_lblPhoneInfo[4] = {};
    QPlainTextEdit* m_txtStatus = nullptr;
    QPushButton* m_cmdClear = nullptr;
    static constexpr int StatusRedrawMs = 100;
    QTimer m_statusRedraw;
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdAbout = nullptr;
    QPushButton* m_cmdRestore = nullptr;
    QPushButton* m_cmdBackup = nullptr;

    GuiUserInterface m_gui;
    Program* m_program = nullptr;
    std::function<void()> m_exitProcess;
    bool m_closeAfterRun = false;
    // The status lines since the user asked to close: the run's closing lines.
    QStringList m_closingLines;
};
