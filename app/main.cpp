#include "app/commandline.h"

#include <QApplication>

namespace {

QtMessageHandler defaultHandler = nullptr;

// A window program has no console to speak to: the toolkit's own chatter is dropped, and
// only our diagnostics pass, which stay off unless switched on through logging rules.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrncmp(context.category, "zonvert", 7) == 0 && defaultHandler)
        defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    defaultHandler = qInstallMessageHandler(quietHandler);
    QApplication application(argc, argv);
    return runZonvert(QCoreApplication::arguments());
}
