#include "app/messageboxui.h"

#include <QMessageBox>
#include <QObject>
#include <QPushButton>

ConversionUi::ExistingOutput MessageBoxUi::askExistingOutput(const QString &outputFileName)
{
    QMessageBox box;
    box.setIcon(QMessageBox::Question);
    box.setText(QObject::tr("Datei existiert bereits"));
    box.setInformativeText(
            QObject::tr("Soll die Datei %1 überschrieben oder ergänzt werden?").arg(outputFileName));
    QPushButton *append = box.addButton(QObject::tr(" &Anhängen "), QMessageBox::ApplyRole);
    box.addButton(QObject::tr(" &Überschreiben "), QMessageBox::AcceptRole);
    QPushButton *abort = box.addButton(QMessageBox::Abort);
    box.setDefaultButton(append);
    box.exec();

    QAbstractButton *clicked = box.clickedButton();
    if (clicked == append)
        return ExistingOutput::Append;
    if (clicked == abort)
        return ExistingOutput::Abort;
    // The overwrite button, and any other way out of the box.
    return ExistingOutput::Overwrite;
}

void MessageBoxUi::error(const QString &title, const QString &text)
{
    QMessageBox::critical(m_window, title, text);
}

void MessageBoxUi::warning(const QString &title, const QString &text)
{
    QMessageBox::warning(nullptr, title, text);
}

void MessageBoxUi::information(const QString &title, const QString &text)
{
    QMessageBox::information(nullptr, title, text);
}
