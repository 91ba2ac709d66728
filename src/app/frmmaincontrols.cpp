#include "app/frmmain.h"

#include "categories/categorytable.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// The layout is designed in twips; the window shows it at 15 twips per pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// Check boxes and labels have no height in the design; one text line with room for the box.
constexpr int RowHeight = 300;

QFont regularFont(qreal points)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(false);
    return font;
}

QFont boldFont(qreal points)
{
    QFont font = regularFont(points);
    font.setBold(true);
    return font;
}

// A check box whose caption wraps onto a second line, as the narrow boxes of the bottom row need.
class WrappingCheckBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_CheckBox, option);
        option.text = caption;
        const QRect textRect = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
        // Wide system fonts may need more lines than the box has: the caption then shrinks
        // until it fits, rather than being cut off.
        QFont captionFont = font();
        while (captionFont.pointSizeF() > 6.0 &&
               QFontMetrics(captionFont).boundingRect(textRect, flags, caption).height() >
                   textRect.height())
            captionFont.setPointSizeF(captionFont.pointSizeF() - 0.25);
        painter.setFont(captionFont);
        painter.drawItemText(textRect, flags, option.palette, isEnabled(), caption,
                             QPalette::WindowText);
    }

    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

QGroupBox* addFrame(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFont(boldFont(8.25));
    frame->setGeometry(geometry);
    return frame;
}

QCheckBox* addCheckBox(QCheckBox* box, const char* name, const QString& caption, QRect geometry)
{
    box->setObjectName(QLatin1String(name));
    box->setText(caption);
    box->setFont(regularFont(9.75));
    box->setGeometry(geometry);
    return box;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, QRect geometry)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFont(regularFont(9.75));
    label->setGeometry(geometry);
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                       const QFont& font)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(font);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

void frmMain::createControls()
{
    setFixedSize(px(6780), px(6420));

    QGroupBox* userData = addFrame(this, "fraUserData", QStringLiteral("User Data"),
                                   twipRect(120, 120, 2175, 1695));
    QGroupBox* settings = addFrame(this, "fraSettings", QStringLiteral("Settings"),
                                   twipRect(120, 2160, 2175, 3015));
    // The category boxes in the order of their boxes, the user data above the settings.
    int userDataRow = 0;
    int settingsRow = 0;
    for (int box = 0; box < PlainMainView::BoxCount; ++box) {
        const categorytable::Row* category = categorytable::rowOfBox(static_cast<Box>(box));
        if (!category)
            continue;
        const bool userDataBox = categorytable::isUserData(*category);
        const int row = userDataBox ? userDataRow++ : settingsRow++;
        m_boxes[box] = addCheckBox(new QCheckBox(userDataBox ? userData : settings),
                                   category->boxName, QLatin1String(category->caption),
                                   twipRect(120, 360 + 360 * row, 1900, RowHeight));
    }
    m_boxes[int(Box::CustomMenu)]->setToolTip(QString::fromUtf16(CustomMenuTip));

    QGroupBox* phoneInfo = addFrame(this, "fraPhoneInfo", QStringLiteral("Phone Info"),
                                    twipRect(2640, 120, 3975, 1935));
    const char* const captions[] = {"Phone Name", "ID", "Model", "Sw Version"};
    for (int i = 0; i < 4; ++i) {
        const int top = 360 + 360 * i;
        addLabel(phoneInfo, QStringLiteral("Label%1").arg(i + 1), QLatin1String(captions[i]),
                 twipRect(120, top, 1335, RowHeight));
        m_lblPhoneInfo[i] = addLabel(phoneInfo, QStringLiteral("lblPhoneInfo%1").arg(i),
                                     QStringLiteral("-"), twipRect(1560, top, 2295, RowHeight));
    }

    QGroupBox* status = addFrame(this, "fraStatus", QStringLiteral("Status"),
                                 twipRect(2640, 2160, 3975, 3015));
    m_txtStatus = new QPlainTextEdit(status);
    m_txtStatus->setObjectName(QStringLiteral("txtStatus"));
    m_txtStatus->setFont(regularFont(8.25));
    m_txtStatus->setReadOnly(true);
    // The box holds the whole history of a long run: the user scrolls through it, and nothing
    // is kept to undo.
    m_txtStatus->setUndoRedoEnabled(false);
    m_txtStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_txtStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtStatus->setGeometry(twipRect(120, 240, 3735, 2295));
    m_cmdClear = addButton(status, "cmdClear", QStringLiteral("Clear"),
                           twipRect(3120, 2640, 735, 255), regularFont(8.25));

    m_boxes[int(Box::Password)] =
        addCheckBox(new WrappingCheckBox(this), "chkPassword", QStringLiteral("Ask for passwords"),
                    twipRect(3480, 5280, 1335, 495));
    m_boxes[int(Box::MasterReset)] = addCheckBox(
        new WrappingCheckBox(this), "chkMasterReset",
        QStringLiteral("Master reset before restore"), twipRect(5040, 5280, 1575, 495));
    // Created disabled: nothing in the program enables them.
    m_boxes[int(Box::Password)]->setEnabled(false);
    m_boxes[int(Box::MasterReset)]->setEnabled(false);

    const QFont buttonFont = boldFont(8.25);
    m_cmdExit = addButton(this, "cmdExit", QStringLiteral("Exit"),
                          twipRect(1920, 6000, 1095, 375), buttonFont);
    m_cmdAbout = addButton(this, "cmdAbout", QStringLiteral("About"),
                           twipRect(3240, 6000, 975, 375), buttonFont);
    m_cmdRestore = addButton(this, "cmdRestore", QStringLiteral("Restore"),
                             twipRect(4440, 6000, 975, 375), buttonFont);
    m_cmdBackup = addButton(this, "cmdBackup", QStringLiteral("Backup"),
                            twipRect(5640, 6000, 975, 375), buttonFont);
}
