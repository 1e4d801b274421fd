// Draws the preview of an OpenAir file as a run without closing would leave it:
//   zonvert-preview-sample INPUT.txt OUTPUT.png|OUTPUT.svg [WIDTHxHEIGHT]
// For looking at the picture of real files; zonvert-bench measures how long it takes.
#include "app/previewrender.h"
#include "previewsample.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3 || arguments.size() > 4) {
        QTextStream(stderr) << "usage: zonvert-preview-sample INPUT.txt OUTPUT.png|OUTPUT.svg [WIDTHxHEIGHT]\n";
        return 1;
    }
    QSize size(1600, 1200);
    if (arguments.size() == 4) {
        const QStringList parts = arguments.at(3).split(QLatin1Char('x'));
        size = QSize(parts.value(0).toInt(), parts.value(1).toInt());
    }
    const PreviewData data = previewDataOfFile(arguments.at(1), QDate::currentDate());
    QElapsedTimer timer;
    timer.start();
    const bool written = renderPreview(data, arguments.at(2), size);
    QTextStream(stdout) << data.writtenCount << '/' << data.keptCount << " airspaces, drawn in "
                        << timer.elapsed() << " ms\n";
    return written ? 0 : 2;
}
