#include "programharness.h"

#include "core/codepage.h"

#include <QDir>
#include <QFile>

ProgramHarness::ProgramHarness(const QJsonObject& phone, bool connected)
    : image(phonesim::PhoneImage::inMemory(phone))
{
    ProgramEnvironment env{clock,
                           wallClock,
                           ui,
                           view,
                           [this, connected](QObject* parent) {
                               monitor = new phonesim::SimPhoneMonitor(
                                   image, clock, phonesim::SimPhoneOptions{connected, 50}, parent);
                               return monitor;
                           },
                           dir.path(),
                           QString()};
    program = std::make_unique<Program>(env);
    program->Form_Load();
    clock.runDue();
}

ProgramHarness::~ProgramHarness() = default;

QString ProgramHarness::path(const QString& name) const
{
    return QDir(dir.path()).filePath(name);
}

RunOutcome ProgramHarness::backup(const QList<MainView::Box>& boxes, const QString& file,
                                  bool replace)
{
    for (int i = 0; i < PlainMainView::BoxCount; ++i) {
        const auto box = static_cast<MainView::Box>(i);
        if (box != MainView::Box::Password && box != MainView::Box::MasterReset)
            view.setTicked(box, boxes.contains(box));
    }
    ui.nextFile(file);
    ui.nextAnswer(replace);
    return program->cmdBackup_Click();
}

RunOutcome ProgramHarness::restore(const QString& file)
{
    ui.nextFile(file);
    return program->cmdRestore_Click();
}

QStringList ProgramHarness::logLines() const
{
    QFile file(program->log().LogFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    const QString text = codepage::decode(file.readAll());
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        lines << line.section(QLatin1Char('\t'), 2);
    return lines;
}

QStringList ProgramHarness::statusLines() const
{
    QStringList lines;
    for (const QString& line :
         program->log().statusText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        lines.prepend(line.section(QStringLiteral(" - "), 1));
    return lines;
}

QStringList ProgramHarness::fileLines(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = codepage::decode(in.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString ProgramHarness::writeFile(const QString& name, const QStringList& lines) const
{
    QFile out(path(name));
    if (out.open(QIODevice::WriteOnly)) {
        for (const QString& line : lines)
            out.write(codepage::encode(line + QStringLiteral("\r\n")));
    }
    return path(name);
}
