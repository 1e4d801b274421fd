// Pictures for looking at the form in every language, used by scripts/screenshots.sh:
//   zonvert-screenshot LANGUAGE DIR      DIR/zonvert-LANGUAGE.png (as at a first start),
//                                        DIR/zonvert-LANGUAGE-filter.png (with a long filter
//                                        summary) and DIR/filter-LANGUAGE.png (the filter dialog)
//   zonvert-screenshot -scale IN.png OUT.png WIDTH HEIGHT   a smaller copy of a picture
#include "app/filterdialog.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>

namespace {

bool writeIni(const QString &fileName, const QByteArray &text)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

bool grabWindow(const QString &ini, const QString &picture)
{
    MainWindow window(0, QString(), QString(), nullptr, ini);
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(picture);
    window.close();
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 6 && arguments.at(1) == QLatin1String("-scale")) {
        const QImage picture(arguments.at(2));
        const QSize size(arguments.at(4).toInt(), arguments.at(5).toInt());
        if (picture.isNull() || size.isEmpty())
            return 2;
        return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(arguments.at(3)) ? 0 : 2;
    }
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: zonvert-screenshot de|en|fr DIR\n"
                               "       zonvert-screenshot -scale IN.png OUT.png WIDTH HEIGHT\n";
        return 1;
    }
    const QString language = arguments.at(1);
    const QDir out(arguments.at(2));
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("zonvert.ini"));
    const QByteArray global = "[GLOBAL]\nLanguage=" + language.toLatin1() + "\n";
    if (!folder.isValid() || !writeIni(ini, global))
        return 2;
    bool saved = grabWindow(ini, out.filePath(QStringLiteral("zonvert-%1.png").arg(language)));

    // Every part of the filter, for the longest summary, and fitting on.
    if (!writeIni(ini, global + "[OUTLINE]\nfitLongOutlines=true\n[FILTER]\nskip=\"E,F,G,FIS\"\n"
                                "maxFloor=FL125\nnear=\"45.92,6.87,60\"\nbox=\"45.5,6,46.5,7.5\"\n"))
        return 2;
    saved = grabWindow(ini, out.filePath(QStringLiteral("zonvert-%1-filter.png").arg(language))) && saved;

    // The window's translation went with it.
    QTranslator translator;
    if (language != QLatin1String("de") && translator.load(QStringLiteral("zonvert_") + language,
                                                            QCoreApplication::applicationDirPath()))
        QCoreApplication::installTranslator(&translator);
    FilterSettings filter;
    filter.skipWords = QStringList{QStringLiteral("E"), QStringLiteral("F"), QStringLiteral("G"), QStringLiteral("FIS")};
    filter.maxFloor = QStringLiteral("FL125");
    filter.near = QStringLiteral("45.92, 6.87, 60");
    FilterDialog dialog(filter, false);
    dialog.show();
    QApplication::processEvents();
    saved = dialog.grab().save(out.filePath(QStringLiteral("filter-%1.png").arg(language))) && saved;
    return saved ? 0 : 2;
}
