#include "app/guiuserinterface.h"
#include "modaldialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(GuiUserInterface, QuestionIsAWarningWithYesAndNo)
{
    QWidget owner;
    GuiUserInterface ui(&owner);
    for (bool yes : {true, false}) {
        answerNextDialog([yes](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Master Reset"));
            EXPECT_EQ(box->text(), QStringLiteral("Are you sure???\nthis will erase"));
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(ui.askQuestion(QStringLiteral("Master Reset"),
                                 QStringLiteral("Are you sure???\r\nthis will erase")),
                  yes);
    }
}

TEST(GuiUserInterface, InputBoxOffersTheDefaultAndCancelGivesEmpty)
{
    QWidget owner;
    GuiUserInterface ui(&owner);
    answerNextDialog([](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->windowTitle(), QStringLiteral("Phonelock code"));
        EXPECT_EQ(input->labelText(), QStringLiteral("Enter your phonelock code....."));
        EXPECT_EQ(input->textValue(), QStringLiteral("7391"));
        input->setTextValue(QStringLiteral("1234"));
        input->accept();
    });
    EXPECT_EQ(ui.inputBox(QStringLiteral("Enter your phonelock code....."),
                          QStringLiteral("Phonelock code"), QStringLiteral("7391")),
              QStringLiteral("1234"));

    answerNextDialog([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    EXPECT_EQ(ui.inputBox(QStringLiteral("p"), QStringLiteral("t"), QStringLiteral("7391")), QString());
}

TEST(GuiUserInterface, FileDialogsNeitherConfirmNorRequireExistingFiles)
{
    QTemporaryDir dir;
    QWidget owner;
    GuiUserInterface ui(&owner);
    for (bool save : {true, false}) {
        const QString wanted = dir.filePath(save ? QStringLiteral("new.MS") : QStringLiteral("missing.MS"));
        answerNextDialog([save, wanted](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(files, nullptr);
            EXPECT_EQ(files->windowTitle(), save ? QStringLiteral("Save Data to file")
                                                 : QStringLiteral("Select Data file"));
            EXPECT_EQ(files->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            EXPECT_EQ(files->fileMode(), QFileDialog::AnyFile);
            EXPECT_TRUE(files->testOption(QFileDialog::DontConfirmOverwrite));
            EXPECT_EQ(files->nameFilters(),
                      save ? QStringList{QStringLiteral("MS (*.MS)")}
                           : QStringList({QStringLiteral("MS (*.MS)"), QStringLiteral("Contacts (*.vcf *.backup)")}));
            files->selectFile(wanted);
            static_cast<QDialog*>(files)->accept();
        });
        QString path;
        EXPECT_TRUE(ui.chooseFile(save, save ? QStringLiteral("Save Data to file")
                                             : QStringLiteral("Select Data file"),
                                  dir.path(),
                                  save ? QStringLiteral("MS (*.MS)")
                                       : QStringLiteral("MS (*.MS);;Contacts (*.vcf *.backup)"),
                                  QStringLiteral("*.MS"), path));
        EXPECT_EQ(QDir::cleanPath(path), QDir::cleanPath(wanted));
    }

    QString kept = QStringLiteral("old");
    answerNextDialog([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    EXPECT_FALSE(ui.chooseFile(true, QStringLiteral("t"), dir.path(), QStringLiteral("MS"),
                               QStringLiteral("*.MS"), kept));
    EXPECT_EQ(kept, QStringLiteral("old"));
}

// Progress goes into the title, which is the program's name alone again afterwards.
TEST(GuiUserInterface, ProgressIsInTheTitleUntilTheRunEnds)
{
    QWidget owner;
    GuiUserInterface ui(&owner);
    ui.progress(QStringLiteral("Phonebook: 631 of 1,250"));
    EXPECT_EQ(owner.windowTitle(), QStringLiteral("Cellarchive \u2014 Phonebook 631 of 1,250"));
    ui.progress(QString());
    EXPECT_EQ(owner.windowTitle(), QStringLiteral("Cellarchive"));
}
