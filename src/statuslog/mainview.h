#pragma once

#include <QString>
#include <QtGlobal>

// The controls of the main window as the program's logic sees them. The window implements it
// with its widgets; the command line and the tests with plain values.
class MainView
{
public:
    enum class Box {
        Pb,
        Cal,
        SMS,
        WAP,
        DataAccount,
        Bookmark,
        Profiles,
        Lock,
        Time,
        CustomMenu,
        Password,
        MasterReset // the last box
    };
    enum class Button { Backup, Restore };

    virtual ~MainView() = default;

    // Ticked means fully checked; a partly checked (greyed) box is not ticked.
    virtual bool isTicked(Box box) const = 0;
    virtual void setTicked(Box box, bool ticked) = 0;
    virtual bool isBoxEnabled(Box box) const = 0;
    virtual void setBoxEnabled(Box box, bool enabled) = 0;
    // Why a box is greyed, for its tooltip; the empty text when it is not.
    virtual void setBoxReason(Box box, const QString& reason) { Q_UNUSED(box); Q_UNUSED(reason); }

    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    virtual void setButtonCaption(Button button, const QString& caption) = 0;

    // lblPhoneInfo(0) to (3): name, IMEI, model, software version.
    virtual QString phoneInfo(int index) const = 0;
    virtual void setPhoneInfo(int index, const QString& text) = 0;
};

// A MainView made of plain values, for front ends without widgets and for tests.
class PlainMainView : public MainView
{
public:
    static constexpr int BoxCount = int(Box::MasterReset) + 1;

    PlainMainView();
    bool isTicked(Box box) const override;
    void setTicked(Box box, bool ticked) override;
    bool isBoxEnabled(Box box) const override;
    void setBoxEnabled(Box box, bool enabled) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void setButtonCaption(Button button, const QString& caption) override;
    QString phoneInfo(int index) const override;
    void setPhoneInfo(int index, const QString& text) override;

    bool buttonEnabled(Button button) const { return m_buttonEnabled[int(button)]; }
    QString buttonCaption(Button button) const { return m_buttonCaption[int(button)]; }

private:
    bool m_ticked[BoxCount] = {};
    bool m_enabled[BoxCount] = {};
    bool m_buttonEnabled[2] = {true, true};
    QString m_buttonCaption[2];
    QString m_phoneInfo[4];
};
