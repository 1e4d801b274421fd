// Saves a picture of the window in one language: zonvert-screenshot LANGUAGE FILE.png
// Used by scripts/screenshots.sh so that anyone can look at the form in every language.
#include "app/mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: zonvert-screenshot de|en|fr FILE.png\n";
        return 1;
    }
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("zonvert.ini"));
    QFile file(ini);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly))
        return 2;
    file.write("[GLOBAL]\nLanguage=" + arguments.at(1).toLatin1() + "\n");
    file.close();

    MainWindow window(0, QString(), QString(), nullptr, ini);
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(arguments.at(2));
    window.close();
    return saved ? 0 : 2;
}
